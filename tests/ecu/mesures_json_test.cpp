#include "ecu/mesures_json.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "ecu/decoding.h"

namespace dravio::ecu {
namespace {

TEST(DecodeAnswersInOrder, OneCycleOfEachModelAsJson) {
    const std::tuple<proto::Model, std::vector<std::string>, const char*> cases[] = {
        {proto::Model::M59,
         {"96F11061A007C603F2003D00390029010C0089013C068E9C403C"},
         R"({"Regime":1990,"Papillon":4.1,"Injection":3.356,"AvanceVal":26.8,"PressionVal":1010,"TempAir":21,)"
         R"("TempEau":17,"TensionVal":13.7})"},
        {proto::Model::MM16,
         {"0B", "B8", "AA", "01", "2C", "50", "D6", "51", "81", "D0"},
         R"({"Regime":5000,"Papillon":30.006,"PapillonPas":170,"Injection":0.6,"AvanceVal":40,)"
         R"("PressionVal":939.5402,"TempAir":26,"TempEau":74,"TensionVal":13.0624})"},
        {proto::Model::Obd,
         {"84F110410C1F40", "FE83F110410415C9", "84F110411100885F", "FE83F11041054711", "FE83F110410F4519",
          "FE84F110411000774D", "83F110410D58", "FE83F110410B6333"},
         R"({"Regime":2000,"Papillon":53.333332,"Injection":8.235294,"AvanceVal":0,"PressionVal":99,"TempAir":29,)"
         R"("TempEau":31,"TensionVal":88})"}};
    for (const auto& [model, answers, json] : cases) {
        const Mesures m = decodeAnswersInOrder(model, false, answers, "F110");
        EXPECT_EQ(mesuresToJson(m, proto::isOneByte(model)), json);
    }
    // One answer per request of the model, or none at all.
    const std::vector<std::string> one(1, "00"), eight(8, "00"), ten(10, "00");
    EXPECT_THROW(decodeAnswersInOrder(proto::Model::MM16, false, one, "F110"), std::invalid_argument);
    EXPECT_THROW(decodeAnswersInOrder(proto::Model::M59, false, ten, "F110"), std::invalid_argument);
    EXPECT_THROW(decodeAnswersInOrder(proto::Model::Obd, false, ten, "F110"), std::invalid_argument);
    EXPECT_NO_THROW(decodeAnswersInOrder(proto::Model::RC15, false, ten, "F110"));
    EXPECT_NO_THROW(decodeAnswersInOrder(proto::Model::Obd, false, eight, "F110"));
}

TEST(MesuresToJson, NumbersAreShortestAndNeverNegativeZeroOrNan) {
    Mesures m;
    m.Regime = -0.0f;
    m.Papillon = std::numeric_limits<float>::quiet_NaN();
    m.Injection = std::numeric_limits<float>::infinity();
    m.AvanceVal = -12.5f;
    m.PressionVal = 0.1f;
    m.PapillonPas = 3;
    EXPECT_EQ(mesuresToJson(m, true),
              R"({"Regime":0,"Papillon":null,"PapillonPas":3,"Injection":null,"AvanceVal":-12.5,)"
              R"("PressionVal":0.1,"TempAir":0,"TempEau":0,"TensionVal":0})");
}

}  // namespace
}  // namespace dravio::ecu
