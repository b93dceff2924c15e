// The fault-code and identification decoders on whatever came off the line, and
// the fault window reading a memory whose answers are the fuzzer's bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/event_loop.h"
#include "base/view_state.h"
#include "diag/actuator_tests.h"
#include "diag/dtc59_code.h"
#include "diag/dtc59_window.h"
#include "diag/identification.h"

using namespace dravio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const diag::IdentificationLines lines = diag::kwpIdentificationLines(text, "F110");
    if (lines[0].rfind("Ducati Number : ", 0) != 0) __builtin_trap();
    (void)diag::oneByteIdentificationCharacter(text.substr(0, 2));

    if (const auto list = diag::dtcListAnswer(text, "F110")) {
        const int complete = diag::completeDtcRecords(*list);
        if (complete < 0 || static_cast<std::size_t>(complete) * 6 > list->records.size()) __builtin_trap();
        for (int n = 1; n <= complete; ++n) {
            const std::string code = diag::dtcCodeAt(list->records, n);
            const std::string sae = diag::saeCode(code);
            if (sae.empty() || std::string_view("PCBU").find(sae[0]) == std::string_view::npos) __builtin_trap();
            (void)diag::dtcTextKey(code);
        }
    }
    if (const auto s = diag::dtcStatusAnswer(text, "F110")) (void)diag::cycleCounterText(s->counter);
    (void)diag::refusalCause(text, "30", {});

    // The whole window on this input: the read answer is the input, each status
    // answer a slice of it; the OBD-II form reads its count and codes from it too.
    base::VirtualClock clock;
    base::EventLoop loop(clock);
    for (const auto form : {diag::Dtc59Form::Kwp2000, diag::Dtc59Form::ObdII}) {
        diag::Dtc59Hooks hooks;
        std::size_t calls = 0;
        hooks.EnvoieRequete = [&](std::string_view, std::string_view, std::int16_t, std::int16_t) {
            const std::size_t start = (calls++ * 7) % (text.size() + 1);
            return std::string(calls == 1 ? text : text.substr(start));
        };
        base::ViewState view;
        diag::FrmDTC59 window(loop, view, hooks, diag::Dtc59Requests{}, form, "IAW5A");
        window.Form_Load();
        const auto all = window.faults().readAll();
        if (all.size() > 255) __builtin_trap();
        // The lower half on the same answers: a test start, the immobiliser, the service reset.
        for (const int test : {0, 8}) {
            window.tests().ComboChoixTest_Click(test);
            window.tests().CdeStartTest_Click();
        }
        window.tests().cdService_Click();
        window.ButtonClose_Click();
    }

    // The identification window of every family, each answer the input or a byte of it.
    for (const auto family :
         {diag::IdentificationFamily::Kwp59, diag::IdentificationFamily::MM16, diag::IdentificationFamily::MM15}) {
        diag::IdentificationHooks hooks;
        std::size_t calls = 0;
        hooks.EnvoieRequete = [&](std::string_view, std::string_view, std::int16_t, std::int16_t) {
            if (family == diag::IdentificationFamily::Kwp59) return std::string(text);
            const std::size_t at = (calls++ * 2) % (text.size() + 1);
            return std::string(text.substr(at, 2));
        };
        base::ViewState view;
        diag::FrmIdentification frm(view, hooks);
        frm.Form_Load(family);
        (void)frm.lines();
    }
    return 0;
}
