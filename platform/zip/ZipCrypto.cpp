#include "platform/zip/ZipCrypto.h"

#include <random>
#include <sys/random.h>
#include <zlib.h>

namespace qm::zip {

namespace {

const z_crc_t* crcTable()
{
    static const z_crc_t* table = get_crc_table();
    return table;
}

uint32_t crcByte(uint32_t crc, uint8_t b)
{
    return crcTable()[(crc ^ b) & 0xff] ^ (crc >> 8);
}

} // namespace

ZipCrypto::ZipCrypto(std::string_view password)
{
    for (char c : password)
        update(uint8_t(c));
}

void ZipCrypto::update(uint8_t plain)
{
    k0_ = crcByte(k0_, plain);
    k1_ = (k1_ + (k0_ & 0xff)) * 134775813u + 1;
    k2_ = crcByte(k2_, uint8_t(k1_ >> 24));
}

void ZipCrypto::encrypt(unsigned char* buf, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        uint8_t plain = buf[i];
        buf[i] = plain ^ streamByte();
        update(plain);
    }
}

void ZipCrypto::decrypt(unsigned char* buf, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        uint8_t plain = buf[i] ^ streamByte();
        buf[i] = plain;
        update(plain);
    }
}

void ZipCrypto::makeHeader(unsigned char (&header)[HeaderSize], uint16_t check)
{
    // The first ten bytes only need to be unpredictable.
    constexpr size_t Random = HeaderSize - 2;
    size_t got = 0;
    while (got < Random) {
        ssize_t r = ::getrandom(header + got, Random - got, 0);
        if (r <= 0)
            break;
        got += size_t(r);
    }
    if (got < Random) {
        std::random_device rd;
        for (size_t i = got; i < Random; ++i)
            header[i] = static_cast<unsigned char>(rd());
    }
    header[HeaderSize - 2] = uint8_t(check);
    header[HeaderSize - 1] = uint8_t(check >> 8);
    encrypt(header, HeaderSize);
}

bool ZipCrypto::checkHeader(unsigned char (&header)[HeaderSize], uint8_t check)
{
    decrypt(header, HeaderSize);
    return header[HeaderSize - 1] == check;
}

} // namespace qm::zip
