#include "RpRunState.h"

namespace report {

TrpRunState& RunState()
{
    static TrpRunState state;
    return state;
}

} // namespace report
