// MD5 digests (RFC 1321) written as lower-case hexadecimal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// One object per digest: construct, feed with Update, finish once with FinalHex.
class CMD5 {
  public:
    CMD5();
    virtual ~CMD5();

    void Update(const void* data, size_t length);
    // Pads the message and returns its digest as 32 lower-case hexadecimal digits. The object
    // is finished afterwards.
    std::string FinalHex();

  private:
    unsigned char m_buffer[64];
    uint32_t m_count[2];  // message length in bits, low word first
    uint32_t m_state[4];
};

// The digest of all bytes of `text`.
std::string Md5HexOfText(const std::string& text);
