// The qhost commands. Each prints `key: value` lines on stdout, errors on stderr, and
// returns the process exit status.
#pragma once

#include "options.h"

namespace qhost {

int runInfo(const InfoOptions& options);
int runRender(const RenderOptions& options);
int runValidate(const ValidateOptions& options);

}  // namespace qhost
