#include "store/gcryptinit.h"

#include <gcrypt.h>

#include <mutex>

namespace store {

void initialiseGcrypt() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P)) {
            gcry_check_version(nullptr);
            gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
            gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        }
    });
}

} // namespace store
