#pragma once

#include <QByteArray>

namespace store {

// The cipher of the account export files and of the password cache: every
// 512-byte record by itself in Blowfish-CBC under the console's fixed 64-bit
// key, starting from the fixed initialisation vector each time.
namespace recordcipher {

constexpr int RecordSize = 512;

// Both answer an empty array unless given exactly one record.
QByteArray encipher(const QByteArray& clear);
QByteArray decipher(const QByteArray& enciphered);

} // namespace recordcipher

} // namespace store
