#pragma once

namespace station {

// Every station link holds one socket: raises the process's limit of open
// files to the hard limit. Answers the limit now in force (-1 when it is
// unlimited or the platform has none).
long raiseOpenFileLimit();

} // namespace station
