#pragma once

#include <cstdio>
#include <string>

// Bytes as upper-case hex pairs, "01 0A FF", as the case tables spell outputs.
template <typename BYTES>
std::string Hex(const BYTES &bytes)
{
    std::string hex;
    char pair[4];
    for (unsigned char byte : bytes)
    {
        std::snprintf(pair, sizeof pair, hex.empty() ? "%02X" : " %02X", byte);
        hex += pair;
    }
    return hex;
}
