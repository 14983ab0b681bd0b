#include "controls/command_target.h"

bool CommandRouter::Route(int id) const {
    const auto it = m_handlers.find(id);
    if (it == m_handlers.end())
        return false;
    it->second();
    return true;
}
