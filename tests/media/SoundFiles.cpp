#include "SoundFiles.hpp"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <fstream>
#include <numbers>

namespace test {

namespace {

constexpr int stepTable[89] = {7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37,
    41, 45, 50, 55, 60, 66, 73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279,
    307, 337, 371, 408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552,
    1707, 1878, 2066, 2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132,
    7845, 8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086,
    29794, 32767};
constexpr int indexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

void putBE32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(v >> shift));
}

void putBE64(std::vector<std::uint8_t>& out, std::uint64_t v) {
    putBE32(out, std::uint32_t(v >> 32));
    putBE32(out, std::uint32_t(v));
}

void putTag(std::vector<std::uint8_t>& out, char const (&tag)[5]) {
    out.insert(out.end(), tag, tag + 4);
}

}

Pcm sinePcm(std::size_t frames, int channels, int sampleRate, double frequency, double amplitude) {
    Pcm pcm;
    pcm.channels = channels;
    pcm.sampleRate = sampleRate;
    pcm.samples.resize(frames * std::size_t(channels));
    for (std::size_t frame = 0; frame < frames; ++frame) {
        double const phase = 2 * std::numbers::pi * frequency * double(frame) / sampleRate;
        for (int channel = 0; channel < channels; ++channel)
            pcm.samples[frame * std::size_t(channels) + std::size_t(channel)]
                = std::int16_t(std::lround(amplitude * (1.0 + 0.1 * channel) * std::sin(phase)));
    }
    return pcm;
}

Pcm rampPcm(std::size_t frames, int channels, int sampleRate) {
    Pcm pcm;
    pcm.channels = channels;
    pcm.sampleRate = sampleRate;
    pcm.samples.resize(frames * std::size_t(channels));
    for (std::size_t frame = 0; frame < frames; ++frame)
        for (int channel = 0; channel < channels; ++channel)
            pcm.samples[frame * std::size_t(channels) + std::size_t(channel)]
                = std::int16_t(int(frame % 1000) * 20 - 10000 + channel * 7);
    return pcm;
}

void writeSoundFile(std::filesystem::path const& path, Pcm const& pcm, int format) {
    SF_INFO info {};
    info.samplerate = pcm.sampleRate;
    info.channels = pcm.channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) {
        // libsndfile 1.2.0's MP3 writer garbles interleaved 16-bit stereo; its
        // float path is sound.
        std::vector<float> samples(pcm.samples.size());
        std::transform(pcm.samples.begin(), pcm.samples.end(), samples.begin(),
            [](std::int16_t s) { return float(s) / 32768.0f; });
        EXPECT_EQ(sf_writef_float(file, samples.data(), sf_count_t(pcm.frames())),
            sf_count_t(pcm.frames()));
    } else {
        EXPECT_EQ(sf_writef_short(file, pcm.samples.data(), sf_count_t(pcm.frames())),
            sf_count_t(pcm.frames()));
    }
    sf_close(file);
}

Pcm readSoundFile(std::filesystem::path const& path) {
    SF_INFO info {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    Pcm pcm;
    if (!file)
        return pcm;
    pcm.channels = info.channels;
    pcm.sampleRate = info.samplerate;
    pcm.samples.resize(std::size_t(info.frames) * std::size_t(info.channels));
    sf_count_t const got = sf_readf_short(file, pcm.samples.data(), info.frames);
    pcm.samples.resize(std::size_t(got) * std::size_t(info.channels));
    sf_close(file);
    return pcm;
}

void encodeIma4Block(std::int16_t const* samples, std::size_t stride, int& predictor, int& index,
    std::uint8_t* block, std::int16_t* reconstructed) {
    // The block's header keeps only the top 9 bits of the predictor, so the
    // encoder continues from what the decoder will see.
    predictor = std::int16_t(predictor & 0xFF80);
    block[0] = std::uint8_t((predictor >> 8) & 0xFF);
    block[1] = std::uint8_t((predictor & 0x80) | index);
    std::fill(block + 2, block + 34, 0);
    for (std::size_t i = 0; i < 64; ++i) {
        int const step = stepTable[index];
        int difference = samples[i * stride] - predictor;
        int code = 0;
        if (difference < 0) {
            code = 8;
            difference = -difference;
        }
        if (difference >= step) {
            code |= 4;
            difference -= step;
        }
        if (difference >= step >> 1) {
            code |= 2;
            difference -= step >> 1;
        }
        if (difference >= step >> 2)
            code |= 1;
        int delta = step >> 3;
        if (code & 4)
            delta += step;
        if (code & 2)
            delta += step >> 1;
        if (code & 1)
            delta += step >> 2;
        predictor = std::clamp(predictor + ((code & 8) ? -delta : delta), -32768, 32767);
        index = std::clamp(index + indexTable[code], 0, 88);
        reconstructed[i] = std::int16_t(predictor);
        block[2 + i / 2] |= std::uint8_t(i % 2 == 0 ? code : code << 4);
    }
}

std::vector<std::int16_t> writeIma4Caf(
    std::filesystem::path const& path, Pcm const& pcm, CafOptions options) {
    std::size_t const channels = std::size_t(pcm.channels);
    std::size_t const packets = (pcm.frames() + 63) / 64;
    std::vector<std::int16_t> padded(pcm.samples);
    padded.resize(packets * 64 * channels, 0);

    std::vector<std::uint8_t> data(packets * 34 * channels);
    std::vector<std::int16_t> decoded(padded.size());
    std::vector<int> predictors(channels, 0);
    std::vector<int> indexes(channels, 0);
    std::vector<std::int16_t> blockOut(64);
    for (std::size_t packet = 0; packet < packets; ++packet) {
        for (std::size_t channel = 0; channel < channels; ++channel) {
            std::int16_t const* in = padded.data() + packet * 64 * channels + channel;
            std::uint8_t* block = data.data() + (packet * channels + channel) * 34;
            encodeIma4Block(
                in, channels, predictors[channel], indexes[channel], block, blockOut.data());
            for (std::size_t i = 0; i < 64; ++i)
                decoded[(packet * 64 + i) * channels + channel] = blockOut[i];
        }
    }

    std::vector<std::uint8_t> file;
    putTag(file, "caff");
    file.insert(file.end(), {0, 1, 0, 0});
    putTag(file, "desc");
    putBE64(file, 32);
    putBE64(file, std::bit_cast<std::uint64_t>(double(pcm.sampleRate)));
    putTag(file, "ima4");
    putBE32(file, 0);
    putBE32(file, std::uint32_t(34 * channels));
    putBE32(file, 64);
    putBE32(file, std::uint32_t(channels));
    putBE32(file, 0);
    std::size_t valid = packets * 64;
    if (options.packetTable) {
        valid = pcm.frames() - std::size_t(options.primingFrames);
        putTag(file, "pakt");
        putBE64(file, 24);
        putBE64(file, packets);
        putBE64(file, valid);
        putBE32(file, std::uint32_t(options.primingFrames));
        putBE32(file, std::uint32_t(packets * 64 - pcm.frames()));
    }
    putTag(file, "data");
    putBE64(file, options.dataSizeUnknown ? ~std::uint64_t(0) : 4 + data.size());
    putBE32(file, 0);
    file.insert(file.end(), data.begin(), data.end());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<char const*>(file.data()), std::streamsize(file.size()));

    std::size_t const start = options.packetTable ? std::size_t(options.primingFrames) : 0;
    return std::vector<std::int16_t>(decoded.begin() + std::ptrdiff_t(start * channels),
        decoded.begin() + std::ptrdiff_t((start + valid) * channels));
}

}
