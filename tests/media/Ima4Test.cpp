#include "SoundFiles.hpp"
#include <media/Ima4.hpp>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

using media::Ima4;

TEST(Ima4, DecodesCodesFromTheHeaderPredictorLowNibbleFirst) {
    std::array<std::uint8_t, 34> block {};
    block[0] = 0x00;
    block[1] = 0x00;
    block[2] = 0x07; // codes 7 then 0
    block[3] = 0xF8; // codes 8 then 15
    std::array<std::int16_t, 64> out {};
    Ima4::decodeBlock(block.data(), out.data(), 1);
    EXPECT_EQ(out[0], 11);
    EXPECT_EQ(out[1], 13);
    EXPECT_EQ(out[2], 12);
    EXPECT_EQ(out[3], -11);
}

TEST(Ima4, HeaderKeepsTheTopNineBitsAsASignedPredictor) {
    std::array<std::uint8_t, 34> block {};
    block[0] = 0xFF;
    block[1] = 0x80; // predictor -128, index 0
    std::array<std::int16_t, 64> out {};
    Ima4::decodeBlock(block.data(), out.data(), 1);
    // Code 0 at step 7 adds 7 >> 3 = 0.
    EXPECT_EQ(out[0], -128);
}

TEST(Ima4, ClampsSamplesAndAnIndexPastTheTable) {
    std::array<std::uint8_t, 34> block {};
    block[0] = 0x7F;
    block[1] = 0xFF; // predictor 32640, index 127: past the table's 88
    block[2] = 0x77;
    std::array<std::int16_t, 64> out {};
    Ima4::decodeBlock(block.data(), out.data(), 1);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], 32767);
}

TEST(Ima4, InterleavesTheChannelsOfAPacket) {
    std::array<std::uint8_t, 68> packet {};
    packet[0] = 0x10; // left: predictor 4096
    packet[34] = 0xF0; // right: predictor -4096
    std::array<std::int16_t, 128> out {};
    Ima4::decodePacket(packet.data(), 2, out.data());
    EXPECT_EQ(out[0], 4096);
    EXPECT_EQ(out[1], -4096);
    EXPECT_EQ(out[126], 4096);
    EXPECT_EQ(out[127], -4096);
}

TEST(Ima4, DecodesWhatTheEncoderReconstructsAndStaysCloseToTheSource) {
    for (int channels : {1, 2}) {
        test::Pcm const pcm = test::sinePcm(64 * 40, channels);
        std::vector<std::uint8_t> data(40 * 34 * std::size_t(channels));
        std::vector<std::int16_t> expected(pcm.samples.size());
        std::vector<int> predictors(std::size_t(channels), 0);
        std::vector<int> indexes(std::size_t(channels), 0);
        std::array<std::int16_t, 64> block {};
        for (std::size_t packet = 0; packet < 40; ++packet) {
            for (std::size_t channel = 0; channel < std::size_t(channels); ++channel) {
                test::encodeIma4Block(
                    pcm.samples.data() + packet * 64 * std::size_t(channels) + channel,
                    std::size_t(channels), predictors[channel], indexes[channel],
                    data.data() + (packet * std::size_t(channels) + channel) * 34, block.data());
                for (std::size_t i = 0; i < 64; ++i)
                    expected[(packet * 64 + i) * std::size_t(channels) + channel] = block[i];
            }
        }
        std::vector<std::int16_t> out(expected.size());
        EXPECT_EQ(Ima4::decode(data, std::size_t(channels), out.data()), 40u * 64u);
        EXPECT_EQ(out, expected);
        // After the first packets have found the step size, the error stays small.
        for (std::size_t i = 64 * 4 * std::size_t(channels); i < out.size(); ++i)
            ASSERT_LT(std::abs(out[i] - pcm.samples[i]), 1200) << "sample " << i;
    }
}

TEST(Ima4, IgnoresATrailingPartPacket) {
    std::vector<std::uint8_t> data(34 * 2 + 20, 0);
    std::vector<std::int16_t> out(128);
    EXPECT_EQ(Ima4::decode(data, 1, out.data()), 128u);
    EXPECT_EQ(Ima4::decode(data, 0, out.data()), 0u);
}
