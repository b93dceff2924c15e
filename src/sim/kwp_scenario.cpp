#include "sim/kwp_scenario.h"

namespace dravio::sim {

KwpScenario KwpScenario::m59() {
    KwpScenario s;
    s.variant = KwpVariant::M59;
    s.identification.ducatiNumber = "28640751A";
    s.identification.marelliNumber = "IAW59MHW010";
    s.identification.hardVersion = 0;
    s.identification.softNumber = "0130DC27";
    s.identification.softVersion = 0x0000;
    s.identification.approval = "59MA3";
    s.identification.repairShop = "TLC";
    s.identification.programmingDate = 0x20030828;
    s.identification.ecuType = "IAW59MHW010";
    return s;
}

KwpScenario KwpScenario::m5a() {
    KwpScenario s = m59();
    s.variant = KwpVariant::M5A;
    s.identification.ducatiNumber = "28641051B";
    s.identification.marelliNumber = "IAW5AMHW010";
    s.identification.hardVersion = 3;
    s.identification.softNumber = "0150AM05";
    s.identification.softVersion = 0x0102;
    s.identification.approval = "5AMB2";
    s.identification.programmingDate = 0x20060315;
    s.identification.ecuType = "IAW5AMHW010";
    return s;
}

}  // namespace dravio::sim
