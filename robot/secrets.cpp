#include "robot/secrets.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>

namespace robot {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr std::size_t kReceiptRandomDigits = 16;

std::string Hex(const unsigned char* data, std::size_t size) {
  std::string text;
  text.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    text += kHexDigits[data[i] >> 4];
    text += kHexDigits[data[i] & 0xF];
  }
  return text;
}

bool Digest(std::string_view data, unsigned char (&out)[32]) {
  unsigned int size = 0;
  return EVP_Digest(data.data(), data.size(), out, &size, EVP_sha256(), nullptr) == 1 &&
         size == 32;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f'); }

}  // namespace

std::string RandomHex(std::size_t bytes) {
  std::string raw(bytes, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(bytes)) != 1) {
    throw std::runtime_error("the system's random source failed");
  }
  return Hex(reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
}

std::string Sha256Hex(std::string_view data) {
  unsigned char digest[32];
  if (!Digest(data, digest)) throw std::runtime_error("SHA-256 failed");
  return Hex(digest, sizeof digest);
}

bool SameSecret(std::string_view given, std::string_view expected) {
  unsigned char a[32];
  unsigned char b[32];
  if (!Digest(given, a) || !Digest(expected, b)) return false;
  return CRYPTO_memcmp(a, b, sizeof a) == 0 && !expected.empty();
}

std::string MakeReceipt(std::string_view yyyymmdd, std::int64_t number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  return "R-" + std::string(yyyymmdd) + "-" + digits + "-" + RandomHex(kReceiptRandomDigits / 2);
}

std::optional<std::int64_t> ReceiptNumber(std::string_view receipt) {
  // R-YYYYMMDD-NNNN...-hhhhhhhhhhhhhhhh
  if (receipt.size() < 2 + 8 + 1 + 4 + 1 + kReceiptRandomDigits || receipt.size() > 64 ||
      receipt.substr(0, 2) != "R-" || receipt[10] != '-') {
    return std::nullopt;
  }
  for (std::size_t i = 2; i < 10; ++i) {
    if (!IsDigit(receipt[i])) return std::nullopt;
  }
  const std::size_t randomStart = receipt.size() - kReceiptRandomDigits;
  if (receipt[randomStart - 1] != '-') return std::nullopt;
  for (std::size_t i = randomStart; i < receipt.size(); ++i) {
    if (!IsHexDigit(receipt[i])) return std::nullopt;
  }
  const std::string_view digits = receipt.substr(11, randomStart - 1 - 11);
  if (digits.size() < 4 || digits.size() > 18) return std::nullopt;
  std::int64_t number = 0;
  for (const char c : digits) {
    if (!IsDigit(c)) return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

std::string ReceiptStem(std::string_view receipt) {
  if (!ReceiptNumber(receipt)) return "";
  return std::string(receipt.substr(0, receipt.size() - kReceiptRandomDigits - 1));
}

}  // namespace robot
