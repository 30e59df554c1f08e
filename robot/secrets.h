// The robot's secrets: random tokens, receipt numbers, digests, and comparing
// what a request carries with what the robot holds without telling how much of
// it was right by the time the answer takes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace robot {

// RandomHex()
// `bytes` bytes from the system's random source, as lower-case hex. Throws
// std::runtime_error when the source fails.
std::string RandomHex(std::size_t bytes);

// Sha256Hex()
// The SHA-256 digest of `data` as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view data);

// SameSecret()
// Whether `given` equals `expected`, in a time that depends on neither text's
// content nor on where they first differ (both are hashed, then compared in
// constant time). An empty `expected` never matches.
bool SameSecret(std::string_view given, std::string_view expected);

// MakeReceipt()
// "R-20261206-0007-5f3a9c2e71b4d8a6": the day of receipt (YYYYMMDD), the upload's
// number in the store (at least four digits) and 64 random bits. The number makes
// it unique; the random part makes it hard to guess.
std::string MakeReceipt(std::string_view yyyymmdd, std::int64_t number);

// ReceiptNumber()
// The upload number of a text shaped like a receipt, or nullopt for any other text.
std::optional<std::int64_t> ReceiptNumber(std::string_view receipt);

// ReceiptStem()
// The receipt without its random part ("R-20261206-0007"): what may be shown
// where the receipt itself must not, such as a file name in published results.
std::string ReceiptStem(std::string_view receipt);

}  // namespace robot
