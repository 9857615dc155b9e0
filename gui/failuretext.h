// A refused change of the settings file, worded in Japanese for the windows.
#pragma once

#include <QString>

#include "settings/writeresult.h"

namespace dovi {

// One Japanese sentence saying why result was refused, naming the offending character where there
// is one; "" for a result that is ok.
QString failureText(const WriteResult& result);

}  // namespace dovi
