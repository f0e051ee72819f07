// The folder of the object that holds the control's code: libquorvex6's, or that of a program
// linking the control statically. The archiver libraries and our own programs lie there.
#pragma once
#include <string>

namespace quorvex6::platform {

std::string OwnFolder();  // "" when the system cannot tell

}  // namespace quorvex6::platform
