#include "store/recordcipher.h"

#include "store/gcryptinit.h"

#include <gcrypt.h>

namespace store::recordcipher {

namespace {

// Ours; files enciphered by other programs are not readable with them.
constexpr unsigned char kKey[8] = {0x51, 0x75, 0x69, 0x6E, 0x74, 0x6F, 0x72, 0x34}; // "Quintor4"
constexpr unsigned char kIv[8] = {0x43, 0x69, 0x62, 0x65, 0x72, 0x2D, 0x49, 0x56};  // "Ciber-IV"

QByteArray transform(const QByteArray& in, bool encrypt) {
    if (in.size() != RecordSize)
        return {};
    initialiseGcrypt();
    gcry_cipher_hd_t handle = nullptr;
    if (gcry_cipher_open(&handle, GCRY_CIPHER_BLOWFISH, GCRY_CIPHER_MODE_CBC, 0) != 0)
        return {};
    QByteArray out(RecordSize, '\0');
    bool ok =
        gcry_cipher_setkey(handle, kKey, sizeof kKey) == 0 && gcry_cipher_setiv(handle, kIv, sizeof kIv) == 0;
    if (ok) {
        auto* dst = reinterpret_cast<unsigned char*>(out.data());
        const auto* src = reinterpret_cast<const unsigned char*>(in.constData());
        ok = (encrypt ? gcry_cipher_encrypt(handle, dst, RecordSize, src, RecordSize)
                      : gcry_cipher_decrypt(handle, dst, RecordSize, src, RecordSize)) == 0;
    }
    gcry_cipher_close(handle);
    return ok ? out : QByteArray();
}

} // namespace

QByteArray encipher(const QByteArray& clear) {
    return transform(clear, true);
}

QByteArray decipher(const QByteArray& enciphered) {
    return transform(enciphered, false);
}

} // namespace store::recordcipher
