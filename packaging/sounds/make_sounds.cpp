// Writes the terminal's two short sounds as 16-bit mono WAV files into the folder it is given:
// fill.wav (two rising notes) and rule.wav (three quick falling notes, more insistent). Made at
// build time, so the project ships no binary sound files and no sound library.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

struct Note {
    double hz;
    int ms;
};

std::vector<std::int16_t> Render(const std::vector<Note>& notes, int gapMs) {
    std::vector<std::int16_t> samples;
    for (const Note& note : notes) {
        const int count = kRate * note.ms / 1000;
        // 5 ms ramps at both ends: a tone that starts or stops at full level clicks.
        const int ramp = kRate * 5 / 1000;
        for (int i = 0; i < count; ++i) {
            double level = 0.35;
            if (i < ramp) {
                level *= static_cast<double>(i) / ramp;
            } else if (count - i < ramp) {
                level *= static_cast<double>(count - i) / ramp;
            }
            const double tone = std::sin(2 * kPi * note.hz * i / kRate) +
                                0.25 * std::sin(4 * kPi * note.hz * i / kRate);
            samples.push_back(static_cast<std::int16_t>(std::lround(level * tone / 1.25 * 32767)));
        }
        samples.insert(samples.end(), static_cast<std::size_t>(kRate * gapMs / 1000), 0);
    }
    return samples;
}

void Put32(std::ofstream& out, std::uint32_t v) {
    const char bytes[] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                          static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    out.write(bytes, 4);
}

void Put16(std::ofstream& out, std::uint16_t v) {
    const char bytes[] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.write(bytes, 2);
}

bool WriteWav(const std::string& path, const std::vector<std::int16_t>& samples) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    Put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, kRate);
    Put32(out, kRate * 2);
    Put16(out, 2);
    Put16(out, 16);
    out.write("data", 4);
    Put32(out, dataBytes);
    for (std::int16_t s : samples) {
        Put16(out, static_cast<std::uint16_t>(s));
    }
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = WriteWav(dir + "/fill.wav", Render({{880, 90}, {1320, 140}}, 20)) &&
                    WriteWav(dir + "/rule.wav", Render({{1400, 70}, {1050, 70}, {790, 110}}, 30));
    if (!ok) {
        std::fprintf(stderr, "make_sounds: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
