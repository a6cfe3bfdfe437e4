#pragma once

namespace store {

// libgcrypt wants one initialisation per process before its first use;
// every user here calls this first (any thread, any number of times).
void initialiseGcrypt();

} // namespace store
