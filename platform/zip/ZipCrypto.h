#pragma once
// Traditional PKWARE encryption: three 32-bit keys driven by the password and
// by each plain byte, a 12-byte header in front of the data whose last byte
// checks the password (and, as most tools write it, the byte before it too).
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm::zip {

class ZipCrypto {
public:
    static constexpr size_t HeaderSize = 12;

    explicit ZipCrypto(std::string_view password);

    void encrypt(unsigned char* buf, size_t n);
    void decrypt(unsigned char* buf, size_t n);

    // Fills `header` with a fresh encryption header whose last two plain
    // bytes are `check`, low byte first (the CRC's high 16 bits, or the DOS
    // time when a data descriptor follows the data), encrypted in place.
    // Readers look at the last byte, which a wrong password passes once in
    // 256; the byte before it tells most of those apart.
    void makeHeader(unsigned char (&header)[HeaderSize], uint16_t check);
    // Decrypts `header` in place and tells whether its last byte is `check`.
    bool checkHeader(unsigned char (&header)[HeaderSize], uint8_t check);

private:
    uint8_t streamByte() const
    {
        // Unsigned: the product of two 16-bit values overflows an int.
        uint32_t t = uint16_t(k2_ | 2);
        return uint8_t((t * (t ^ 1u)) >> 8);
    }
    void update(uint8_t plain);

    uint32_t k0_ = 0x12345678;
    uint32_t k1_ = 0x23456789;
    uint32_t k2_ = 0x34567890;
};

} // namespace qm::zip
