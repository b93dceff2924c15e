#include "ecu/decode_obd.h"

#include <string>

#include "ecu/decode_kwp.h"

namespace dravio::ecu {
namespace {

constexpr double kAttente = 0.06;
constexpr std::int16_t kTimeoutMs = 1000;

// Data A and B follow format, target, source, 0x41 and the parameter: 10 digits.
constexpr std::size_t kDataOffset = 10;

struct ObdRow {
    MeasureField field;
    Channel channel;
    proto::Slot slot;
    std::string_view demoLead;  // bytes the adapter may put before the frame
    std::string_view format;
    std::string_view service;   // 0x41 and the parameter
    std::string_view demoData;
};

constexpr ObdRow kRows[] = {
    {MeasureField::ObdRegime, Channel::Regime, proto::Slot::ReqRegime, "FE", "84", "410C", "0000D2"},
    {MeasureField::ObdLoad, Channel::Injection, proto::Slot::ReqCharge, "FE", "83", "4104", "15C9"},
    {MeasureField::ObdThrottle, Channel::Potar, proto::Slot::ReqPapillon, "", "84", "4111", "00885F"},
    {MeasureField::ObdEngineTemperature, Channel::Eau, proto::Slot::ReqTempEau, "FE", "83", "4105", "4711"},
    {MeasureField::ObdAirTemperature, Channel::Air, proto::Slot::ReqTempAir, "FE", "83", "410F", "4519"},
    {MeasureField::ObdAirMass, Channel::Avance, proto::Slot::ReqMasseAir, "FE", "84", "4110", "00774D"},
    {MeasureField::ObdSpeed, Channel::Tension, proto::Slot::ReqVitesse, "FE", "83", "410D", "00D2"},
    {MeasureField::ObdPressure, Channel::Pression, proto::Slot::ReqPression, "FE", "83", "410B", "6333"},
};

std::string header(const ObdRow& row, std::string_view enteteReponse) {
    std::string h(row.format);
    h.append(enteteReponse).append(row.service);
    return h;
}

struct Data {
    double A = 0;
    double B = 0;
};

std::optional<Data> dataOf(std::string_view answer, const ObdRow& row, std::string_view enteteReponse) {
    const auto p = answer.find(header(row, enteteReponse));
    if (p == std::string_view::npos) return std::nullopt;
    return Data{static_cast<double>(pairAt(answer, p + kDataOffset)),
                static_cast<double>(pairAt(answer, p + kDataOffset + 2))};
}

float& outputOf(MeasureField field, Mesures& m) {
    switch (field) {
        case MeasureField::ObdLoad: return m.Injection;
        case MeasureField::ObdThrottle: return m.Papillon;
        case MeasureField::ObdEngineTemperature: return m.TempEau;
        case MeasureField::ObdAirTemperature: return m.TempAir;
        case MeasureField::ObdAirMass: return m.AvanceVal;
        case MeasureField::ObdSpeed: return m.TensionVal;
        case MeasureField::ObdPressure: return m.PressionVal;
        default: return m.Regime;
    }
}

double convert(MeasureField field, Data d) {
    switch (field) {
        case MeasureField::ObdRegime: return (d.A * 256 + d.B) / 4;
        case MeasureField::ObdLoad: return d.A * 100 / 255;
        case MeasureField::ObdThrottle: return (d.A * 256 + d.B) * 100 / 255;
        case MeasureField::ObdEngineTemperature:
        case MeasureField::ObdAirTemperature: return d.A - 40;
        default: return d.A;
    }
}

}  // namespace

std::vector<MeasureRequest> obdRequests(const MeasureChannels& channels, std::string_view enteteReponse,
                                        const proto::RequestTable& table) {
    std::vector<MeasureRequest> requests;
    for (const auto& row : kRows) {
        if (!isOn(channels, row.channel)) continue;
        MeasureRequest request;
        request.field = row.field;
        request.channel = row.channel;
        request.requete = table.request(row.slot, proto::Model::Obd);
        request.longueur = table.length(row.slot, proto::Model::Obd);
        request.reponseDemo = std::string(row.demoLead) + header(row, enteteReponse) + std::string(row.demoData);
        request.delaiMs = kTimeoutMs;
        request.attenteAvant = kAttente;
        requests.push_back(std::move(request));
    }
    return requests;
}

void decodeObd(std::span<const MeasureAnswer> answers, std::string_view enteteReponse, Mesures& m) {
    // Table order, engine speed first: its failure clears what the others then set.
    for (const auto& row : kRows) {
        const auto answer = findAnswer(answers, row.field);
        if (!answer) continue;
        const auto data = dataOf(*answer, row, enteteReponse);
        if (!data && row.field == MeasureField::ObdRegime) {
            zeroEightValues(m);
            continue;
        }
        outputOf(row.field, m) = data ? static_cast<float>(convert(row.field, *data)) : 0.0f;
    }
}

}  // namespace dravio::ecu
