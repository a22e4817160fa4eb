#include "simulated_modems.h"

#include "modemsim_client.h"

namespace simulated_modems {

bool SetLayout(const std::string& layout, std::string* error) {
    ModemSim& sim = ModemSim::Instance();
    if (!sim.Available()) {
        *error =
            "the modem simulator is not reachable (is MODEMSIM_CONTROL set?): " + sim.LastError();
        return false;
    }
    if (!sim.Layout(layout)) {
        *error = "the simulator refused the layout: " + sim.LastError();
        return false;
    }
    return true;
}

std::string Received(int com) { return ModemSim::Instance().Received(com); }

std::string State(int com) { return ModemSim::Instance().State(com); }

}  // namespace simulated_modems
