#include "mainwin/program_start.h"

namespace dvx::mainwin {

void Main() {}

}  // namespace dvx::mainwin
