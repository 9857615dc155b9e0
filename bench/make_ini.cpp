// Writes a benchmark settings file.
//   make_ini SIZE_BYTES PATH          a well-used dovi.ini of at least SIZE_BYTES (see inigen.h)
//   make_ini --sayings COUNT SIZE PATH
//                                     COUNT sayings (the count stored is COUNT + 1), full birthday
//                                     and special-day sections, the sayings made longer until the
//                                     file has at least SIZE_BYTES (0: as short as they come)
//   make_ini --many-keys COUNT PATH   a registered user, then COUNT distinct keys of five letters
//                                     in one section, each line "key=1" with LF (8 bytes a key,
//                                     so 8.6 million keys make 66 MB); the last key is "end"
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/inigen.h"
#include "settings/codepage.h"

namespace {

// COUNT lines "<five base-36 digits>=1" under [言霊], after the init block in Shift-JIS with CR LF.
std::string manyKeys(long count)
{
    dovi::codepage::Codec codec(dovi::FileEncoding::Cp932);
    std::string bytes = *codec.encode("[init]\r\n使用者=山田太郎さん\r\n誕生日= 1973/ 7/ 5\r\n性別=男性\r\n"
                                      "登録日=2000/1/1\r\n言霊総数=1\r\n[言霊]\r\n");
    bytes.reserve(bytes.size() + static_cast<std::size_t>(count) * 8);
    // Lower case only: names match without regard to letter case.
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (long i = 0; i < count; ++i) {
        char line[8] = {'0', '0', '0', '0', '0', '=', '1', '\n'};
        for (long n = i, k = 4; n > 0 && k >= 0; n /= 36, --k)
            line[k] = kDigits[n % 36];
        bytes.append(line, sizeof line);
    }
    bytes += *codec.encode("end=最後のキー\n");
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool many = argc == 4 && std::string(argv[1]) == "--many-keys";
    const bool sayings = argc == 5 && std::string(argv[1]) == "--sayings";
    if (argc != 3 && !many && !sayings) {
        std::fprintf(stderr, "usage: make_ini SIZE_BYTES PATH | make_ini --sayings COUNT SIZE_BYTES PATH"
                             " | make_ini --many-keys COUNT PATH\n");
        return 2;
    }
    const std::string bytes =
        many      ? manyKeys(std::atol(argv[2]))
        : sayings ? dovi::bench::makeSettingsFileWithSayings(std::strtoull(argv[3], nullptr, 10), std::atoi(argv[2]))
                  : dovi::bench::makeSettingsFile(std::strtoull(argv[1], nullptr, 10), false);
    std::ofstream out(argv[argc - 1], std::ios::binary);
    out << bytes;
    return out.good() ? 0 : 1;
}
