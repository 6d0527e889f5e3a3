// ortavia-pack: turns a file into a payload picture, and back.
//
//   ortavia-pack [--width W [--height H]] FILE PICTURE.bmp
//       packs FILE along the payload walk into a 24-bit BMP and prints the
//       last byte index N the extractor must be given (the file's length - 1).
//       Without a size the picture is 1600 pixels wide and as tall as needed;
//       with a width alone it is as tall as needed.
//   ortavia-pack --extract PICTURE.bmp N OUT
//       rebuilds bytes 0 .. N of the file a picture carries, to check a payload.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "payload/bmp.h"
#include "payload/pack.h"
#include "payload/walk.h"

namespace {

using ortavia::payload::PayloadFormatError;

constexpr const char* kUsage =
    "usage: ortavia-pack [--width W [--height H]] FILE PICTURE.bmp\n"
    "       ortavia-pack --extract PICTURE.bmp N OUT\n";

std::vector<std::uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw PayloadFormatError("cannot open " + path);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw PayloadFormatError("cannot read " + path);
    return bytes;
}

void writeAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::remove(path.c_str());
        throw PayloadFormatError("cannot write " + path);
    }
}

std::int64_t number(std::string_view text, const char* what) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) {
        throw PayloadFormatError(std::string(what) + " is not a number: " + std::string(text));
    }
    return value;
}

int run(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "--extract") {
        if (args.size() != 4) throw PayloadFormatError(kUsage);
        const std::vector<std::uint8_t> bmp = readAll(args[1]);
        const ortavia::payload::BmpImage picture = ortavia::payload::BmpImage::open(bmp);
        writeAll(args[3], ortavia::payload::unpackPicture(picture, number(args[2], "N")));
        return 0;
    }
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--width" || args[i] == "--height") && i + 1 < args.size()) {
            (args[i] == "--width" ? width : height) = number(args[i + 1], args[i].c_str());
            ++i;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2 || (height != 0 && width == 0)) throw PayloadFormatError(kUsage);
    if (width < 0 || height < 0 || width > (1 << 16) || height > (1 << 16)) {
        throw PayloadFormatError("picture size out of range");
    }
    const std::vector<std::uint8_t> file = readAll(files[0]);
    ortavia::payload::PictureSize size = ortavia::payload::choosePictureSize(file.size());
    if (width != 0) {
        size.width = static_cast<int>(width);
        if (height != 0) {
            size.height = static_cast<int>(height);
        } else {
            size.height = 1;
            while (size.width >= 2 && ortavia::payload::walkCapacity(size.width, size.height) <
                                          static_cast<std::int64_t>(file.size()) && size.height < (1 << 16)) {
                ++size.height;
            }
        }
    }
    writeAll(files[1], ortavia::payload::packPicture(file, size.width, size.height));
    std::cout << files[0] << ": " << file.size() << " bytes in a " << size.width << " x " << size.height
              << " picture, last byte index N = " << file.size() - 1 << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const PayloadFormatError& e) {
        std::cerr << "ortavia-pack: " << e.what() << "\n";
        return 2;
    }
}
