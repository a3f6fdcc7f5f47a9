#include "app/core/ProgramVersion.h"

namespace scoutwell {

const char* programVersion() {
    return SCOUTWELL_VERSION;
}

}  // namespace scoutwell
