// ortavia-standin: writes a reproducible stand-in for one of the files the
// setup carries, until the real programs are supplied.
//
//   ortavia-standin NAME SIZE OUT
//
// The file opens with a line naming it, so a stand-in found on a disk is
// recognised at a glance, and goes on with pseudo-random bytes seeded from
// the name: the same name and size always give the same bytes, and every
// byte value occurs, which exercises the whole byte range of the payload.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: ortavia-standin NAME SIZE OUT\n";
        return 2;
    }
    const std::string name = argv[1];
    const std::string sizeText = argv[2];
    std::uint64_t size = 0;
    const auto [end, ec] = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
    if (ec != std::errc{} || end != sizeText.data() + sizeText.size() || size == 0) {
        std::cerr << "ortavia-standin: bad size " << sizeText << "\n";
        return 2;
    }
    std::string header = "Ortavia-on-line stand-in for " + name + " (" + sizeText + " bytes)\r\n";
    std::vector<unsigned char> bytes(header.begin(), header.end());
    bytes.resize(size);
    // FNV-1a of the name seeds a xorshift64* generator.
    std::uint64_t state = 0xcbf29ce484222325ull;
    for (unsigned char c : name) state = (state ^ c) * 0x100000001b3ull;
    for (std::size_t i = std::min<std::size_t>(header.size(), bytes.size()); i < bytes.size(); ++i) {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        bytes[i] = static_cast<unsigned char>((state * 0x2545f4914f6cdd1dull) >> 56);
    }
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "ortavia-standin: cannot write " << argv[3] << "\n";
        return 1;
    }
    return 0;
}
