// ecu: how a window that needs the K-line gets it from the measurement cycle.
// The line is one resource: the window's first click asks a running cycle to
// stop, and the window acts only once the cycle has ended; otherwise the user is
// asked to click again. The flags belong to the measurement cycle; a window with
// a loop of its own (the 15M trimmer) runs it under the same flags.
#pragma once

namespace dravio::ecu {

struct CycleGate {
    bool& StopMesures;
    bool& MesuresArretees;
    // Cleared while a procedure holds the line, so the cycle is not started meanwhile.
    bool& LiaisonLibre;

    // Asks a running cycle to end. True when no cycle runs, so the caller may
    // use the line now; false means "click again once it has stopped".
    bool requestLine() {
        StopMesures = true;
        return MesuresArretees;
    }
};

// The three flags of a program without a measurement cycle (the command line, tests).
struct IdleCycleFlags {
    bool StopMesures = false;
    bool MesuresArretees = true;
    bool LiaisonLibre = true;
    CycleGate gate() { return CycleGate{StopMesures, MesuresArretees, LiaisonLibre}; }
};

}  // namespace dravio::ecu
