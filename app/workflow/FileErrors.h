#pragma once

#include <QString>

namespace workflow {

/// Why a file operation failed, in Chinese, from the system's error number: the one table that
/// the tip line, the batch report and the command line all show.
QString ReasonOfError(int errorNumber);

}  // namespace workflow
