#include <bundlegen/Music.hpp>
#include <bundlegen/Sound.hpp>
#include <bundlegen/Synth.hpp>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace bundlegen {

using namespace synth;

namespace {

double n(int midi) {
    return midiToHz(midi);
}

Buffer finish(Buffer b, double peak = 0.8) {
    normalize(b, peak);
    fadeEdges(b);
    return b;
}

// ---- Interface ----------------------------------------------------------------------

Buffer click() {
    Buffer b = silence(0.08);
    noise(b, 0, 0.004, 0.5, 6000, {0.0005, 0.003, 0.1, 0.004}, 3);
    tone(b, 0, 0.03, 1400, 0.6, Wave::Sine, {0.001, 0.02, 0.2, 0.03});
    return finish(b, 0.6);
}

Buffer confirm() {
    Buffer b = silence(0.5);
    bell(b, 0, n(84), 0.5, 0.35, 2.0, 1.0);
    bell(b, 0.09, n(91), 0.6, 0.4, 2.0, 1.0);
    return finish(b, 0.7);
}

Buffer cancel() {
    Buffer b = silence(0.4);
    tone(b, 0, 0.1, n(79), 0.5, Wave::Triangle, {0.004, 0.05, 0.6, 0.06});
    tone(b, 0.1, 0.14, n(72), 0.5, Wave::Triangle, {0.004, 0.08, 0.5, 0.1});
    return finish(b, 0.6);
}

Buffer pauseSound() {
    Buffer b = silence(0.3);
    sweep(b, 0, 0.2, 700, 350, 0.6, Wave::Sine, {0.005, 0.1, 0.6, 0.08});
    return finish(b, 0.6);
}

Buffer kaching(double pitch) {
    Buffer b = silence(0.9);
    noise(b, 0, 0.05, 0.6, 2500, {0.001, 0.04, 0.2, 0.04}, 9, 300);
    tone(b, 0, 0.05, 180 * pitch, 0.4, Wave::Triangle, {0.001, 0.04, 0.2, 0.04});
    for (int note : {88, 92, 95, 100})
        bell(b, 0.07, n(note) * pitch, 0.35, 0.8, 3.0, 1.5);
    return finish(b);
}

Buffer sparkleRun(double start, std::vector<int> const& notes, double step, double length) {
    Buffer b = silence(length);
    for (size_t i = 0; i < notes.size(); ++i)
        bell(b, start + i * step, n(notes[i]), 0.4, 0.5, 4.0, 1.2);
    echo(b, 0.09, 0.35, 0.4);
    return finish(b, 0.7);
}

Buffer chime(std::vector<int> const& notes, double step, double decay, double length) {
    Buffer b = silence(length);
    for (size_t i = 0; i < notes.size(); ++i)
        bell(b, i * step, n(notes[i]), 0.5, decay, 2.0, 1.2);
    echo(b, 0.15, 0.3, 0.3);
    return finish(b);
}

Buffer melody(std::vector<std::pair<int, double>> const& notes, double beat, double length,
    Wave wave = Wave::Triangle, bool chordEnd = true) {
    Buffer b = silence(length);
    double t = 0;
    int lastNote = 60;
    for (auto [note, beats] : notes) {
        if (note > 0) {
            pluck(b, t, n(note), 0.5, beat * beats * 2 + 0.3, static_cast<uint32_t>(note));
            tone(b, t, beat * beats * 0.8, n(note), 0.25, wave, {0.01, 0.1, 0.6, 0.1});
            lastNote = note;
        }
        t += beat * beats;
    }
    if (chordEnd)
        for (int k : {-12, -5, 0})
            bell(b, t, n(lastNote + k), 0.2, std::max(0.3, length - t), 2.0, 0.7);
    echo(b, beat * 0.75, 0.25, 0.25);
    return finish(b);
}

Buffer fanfare(std::vector<std::pair<int, double>> const& notes, double beat, double length) {
    Buffer b = silence(length);
    double t = 0;
    for (auto [note, beats] : notes) {
        if (note > 0) {
            double d = beat * beats * 0.9;
            tone(b, t, d, n(note), 0.35, Wave::Saw, {0.02, 0.08, 0.7, 0.08}, 0.004);
            tone(b, t, d, n(note - 12), 0.2, Wave::Square, {0.02, 0.08, 0.6, 0.08});
        }
        t += beat * beats;
    }
    noise(b, 0, 0.4, 0.12, 4000, {0.01, 0.2, 0.3, 0.2}, 5, 800);
    echo(b, 0.12, 0.3, 0.3);
    return finish(b);
}

Buffer pop() {
    Buffer b = silence(0.15);
    sweep(b, 0, 0.06, 900, 260, 0.7, Wave::Sine, {0.001, 0.03, 0.5, 0.04});
    return finish(b, 0.65);
}

Buffer boing(bool up) {
    Buffer b = silence(0.3);
    sweep(b, 0, 0.18, up ? 300 : 700, up ? 800 : 250, 0.6, Wave::Sine, {0.003, 0.08, 0.6, 0.08});
    return finish(b, 0.6);
}

Buffer snap() {
    Buffer b = silence(0.12);
    noise(b, 0, 0.01, 0.5, 5000, {0.0005, 0.008, 0.1, 0.01}, 4);
    bell(b, 0.005, n(96), 0.4, 0.1, 1.5, 0.5);
    return finish(b, 0.6);
}

Buffer thud() {
    Buffer b = silence(0.45);
    sweep(b, 0, 0.08, 180, 70, 0.7, Wave::Sine, {0.002, 0.05, 0.4, 0.06});
    bell(b, 0.05, n(88), 0.3, 0.35, 3.0, 1.0);
    bell(b, 0.1, n(93), 0.25, 0.3, 3.0, 1.0);
    return finish(b, 0.7);
}

// ---- Furniture ------------------------------------------------------------------------

Buffer bubbles() {
    Buffer b = silence(1.6);
    Random r(21);
    for (int i = 0; i < 18; ++i) {
        double t = r.uniform() * 1.35;
        double f = 500 + r.uniform() * 900;
        sweep(b, t, 0.04, f, f * 1.8, 0.3, Wave::Sine, {0.002, 0.02, 0.5, 0.02});
    }
    noise(b, 0, 1.4, 0.08, 1200, {0.1, 0.3, 0.7, 0.2}, 22);
    return finish(b, 0.6);
}

Buffer blower() {
    Buffer b = silence(1.6);
    noise(b, 0, 1.35, 0.6, 2500, {0.12, 0.2, 0.8, 0.2}, 23, 200);
    tone(b, 0, 1.35, 820, 0.05, Wave::Saw, {0.15, 0.2, 0.8, 0.2}, 0.01);
    return finish(b, 0.55);
}

Buffer snips() {
    Buffer b = silence(1.2);
    for (int i = 0; i < 4; ++i) {
        double t = 0.1 + i * 0.24;
        noise(b, t, 0.015, 0.7, 7000, {0.001, 0.01, 0.2, 0.02}, 30 + i, 2000);
        noise(b, t + 0.06, 0.01, 0.5, 7000, {0.001, 0.01, 0.2, 0.015}, 40 + i, 2500);
    }
    return finish(b, 0.6);
}

Buffer spa(int root) {
    Buffer b = silence(1.8);
    int const steps[] = {0, 4, 7, 12};
    for (int i = 0; i < 4; ++i)
        bell(b, i * 0.18, n(root + steps[i]), 0.4, 1.2, 1.0, 0.6);
    echo(b, 0.2, 0.35, 0.4);
    return finish(b, 0.6);
}

Buffer spray() {
    Buffer b = silence(1.2);
    for (int i = 0; i < 3; ++i)
        noise(b, i * 0.32, 0.2, 0.6, 8000, {0.01, 0.05, 0.7, 0.08}, 50 + i, 1500);
    return finish(b, 0.55);
}

Buffer crackle() {
    Buffer b = silence(1.5);
    Random r(61);
    noise(b, 0, 1.3, 0.25, 900, {0.1, 0.2, 0.8, 0.2}, 62);
    for (int i = 0; i < 40; ++i)
        noise(b, r.uniform() * 1.35, 0.004, 0.6 + r.uniform() * 0.4, 6000,
            {0.0005, 0.003, 0.1, 0.004}, 63 + i);
    return finish(b, 0.6);
}

Buffer whoosh() {
    Buffer b = silence(0.9);
    noise(b, 0, 0.35, 0.6, 3000, {0.15, 0.1, 0.6, 0.15}, 70, 300);
    int const steps[] = {0, 4, 7, 12, 16};
    for (int i = 0; i < 5; ++i)
        bell(b, 0.25 + i * 0.07, n(84 + steps[i]), 0.3, 0.4, 4.0, 1.0);
    return finish(b, 0.7);
}

Buffer coinsJangle(uint32_t seed) {
    Buffer b = silence(0.8);
    Random r(seed);
    for (int i = 0; i < 7; ++i)
        bell(b, i * 0.05 + r.uniform() * 0.03, 2200 + r.uniform() * 1800, 0.3, 0.35, 2.7, 2.0);
    return finish(b, 0.65);
}

// ---- Voices ---------------------------------------------------------------------------

Buffer bark() {
    Buffer b = silence(0.7);
    for (double t : {0.0, 0.28}) {
        sweep(b, t, 0.11, 620, 380, 0.5, Wave::Saw, {0.004, 0.05, 0.6, 0.05});
        noise(b, t, 0.1, 0.35, 1800, {0.002, 0.05, 0.5, 0.05}, static_cast<uint32_t>(t * 100 + 3),
            300);
    }
    return finish(b, 0.7);
}

Buffer meow() {
    Buffer b = silence(0.8);
    sweep(b, 0, 0.25, 520, 780, 0.4, Wave::Saw, {0.03, 0.1, 0.8, 0.05});
    sweep(b, 0.25, 0.35, 780, 430, 0.4, Wave::Saw, {0.005, 0.1, 0.7, 0.12});
    sweep(b, 0, 0.6, 1040, 900, 0.1, Wave::Sine, {0.05, 0.2, 0.6, 0.1});
    return finish(b, 0.6);
}

Buffer whinny() {
    Buffer b = silence(1.1);
    tone(b, 0, 0.8, 700, 0.4, Wave::Saw, {0.03, 0.2, 0.7, 0.2}, 0.06);
    sweep(b, 0, 0.8, 900, 500, 0.2, Wave::Triangle, {0.03, 0.2, 0.6, 0.2});
    return finish(b, 0.6);
}

Buffer grumble() {
    Buffer b = silence(0.9);
    tone(b, 0, 0.7, 140, 0.5, Wave::Saw, {0.03, 0.2, 0.7, 0.15}, 0.05);
    noise(b, 0, 0.7, 0.15, 600, {0.05, 0.2, 0.6, 0.15}, 80);
    return finish(b, 0.6);
}

Buffer yay() {
    Buffer b = silence(0.6);
    sweep(b, 0, 0.35, 420, 820, 0.5, Wave::Triangle, {0.02, 0.1, 0.7, 0.12});
    bell(b, 0.3, n(88), 0.3, 0.3);
    return finish(b, 0.6);
}

Buffer doorSlide() {
    Buffer b = silence(0.8);
    noise(b, 0, 0.35, 0.5, 1500, {0.08, 0.1, 0.6, 0.1}, 90, 150);
    bell(b, 0.32, n(88), 0.4, 0.45, 1.4, 0.8);
    bell(b, 0.42, n(91), 0.35, 0.4, 1.4, 0.8);
    return finish(b, 0.65);
}

MusicStyle jingle(double seconds, double bpm, int root, uint32_t seed, MusicStyle::Lead lead) {
    MusicStyle s;
    s.seconds = seconds;
    s.bpm = bpm;
    s.root = root;
    s.seed = seed;
    s.lead = lead;
    s.verse = {0, 3, 4, 0};
    s.bridge = {5, 3, 1, 4};
    return s;
}

std::function<std::vector<float>()> music(MusicStyle style) {
    return [style] { return compose(style); };
}

}

std::vector<SoundEntry> soundCatalog() {
    using P = std::vector<std::pair<int, double>>;
    std::vector<SoundEntry> all = {
        {"sfx_click.wav", "sound", click},
        {"sfx_confirm.wav", "sound", confirm},
        {"sfx_cancel.wav", "sound", cancel},
        {"sfx_pause.wav", "sound", pauseSound},
        {"sfx_money.wav", "sound", [] { return kaching(1.0); }},
        {"sfx_getfreepp.wav", "sound",
            [] {
                return sparkleRun(0, {79, 84, 88, 91, 96}, 0.08, 1.0);
            }},
        {"sfx_shopopen.wav", "sound",
            [] {
                return chime({76, 72, 79}, 0.32, 1.0, 1.6);
            }},
        {"sfx_shopclose.wav", "sound",
            [] {
                return chime({79, 76, 72}, 0.36, 1.1, 1.7);
            }},
        {"sfx_showreport.wav", "sound",
            [] {
                return melody(P {{72, 1}, {76, 1}, {79, 1}, {84, 2}}, 0.18, 1.8);
            }},
        {"sfx_levelup.wav", "sound",
            [] {
                return fanfare(P {{72, 1}, {76, 1}, {79, 1}, {84, 2}, {79, 1}, {84, 3}}, 0.16, 2.8);
            }},
        {"sfx_challengestart.wav", "sound",
            [] {
                Buffer b = silence(1.8);
                for (int i = 0; i < 12; ++i)
                    noise(b, i * 0.05, 0.03, 0.3 + i * 0.03, 3000, {0.001, 0.02, 0.3, 0.03},
                        100 + i, 400);
                Buffer f = fanfare(P {{74, 1}, {79, 2}}, 0.2, 1.2);
                for (size_t i = 0; i < f.size(); ++i)
                    b[i + static_cast<size_t>(0.6 * soundRate)] += f[i] * 0.8f;
                return finish(b);
            }},
        {"sfx_challengesuccess.wav", "sound",
            [] {
                return melody(P {{79, 1}, {84, 1}, {88, 1}, {91, 1}, {96, 3}}, 0.14, 2.2);
            }},
        {"sfx_challengefail.wav", "sound",
            [] {
                Buffer b = silence(2.0);
                int notes[] = {67, 66, 65, 64};
                for (int i = 0; i < 4; ++i)
                    tone(b, i * 0.32, i == 3 ? 0.8 : 0.28, n(notes[i] - 12), 0.5, Wave::Saw,
                        {0.02, 0.1, 0.7, 0.1}, i == 3 ? 0.02 : 0.004);
                return finish(b, 0.65);
            }},
        {"sfx_eventprez.wav", "sound",
            [] {
                return fanfare(P {{67, 0.67}, {67, 0.33}, {67, 0.67}, {72, 2}, {0, 0.5}, {72, 0.67},
                                   {76, 0.33}, {79, 0.67}, {84, 3}},
                    0.28, 4.0);
            }},
        {"sfx_eventrichlady.wav", "sound",
            [] {
                Buffer b = silence(5.0);
                int const steps[] = {0, 4, 7, 11, 14};
                for (int i = 0; i < 15; ++i)
                    pluck(b, i * 0.06, n(60 + steps[i % 5] + (i / 5) * 12), 0.35, 2.5,
                        static_cast<uint32_t>(i + 1));
                for (int k : {72, 76, 79, 83})
                    bell(b, 1.2, n(k), 0.25, 3.6, 1.0, 0.5);
                echo(b, 0.22, 0.35, 0.35);
                return finish(b);
            }},
        {"sfx_eventskyward.wav", "sound",
            [] {
                Buffer b = silence(4.0);
                sweep(b, 0, 0.8, 200, 1600, 0.3, Wave::Saw, {0.05, 0.3, 0.6, 0.2});
                noise(b, 0, 0.9, 0.25, 4000, {0.3, 0.3, 0.6, 0.2}, 7, 500);
                Buffer f = fanfare(
                    P {{72, 0.5}, {79, 0.5}, {84, 1}, {83, 0.5}, {84, 0.5}, {88, 3}}, 0.24, 3.0);
                for (size_t i = 0; i < f.size() && i + soundRate < b.size(); ++i)
                    b[i + soundRate] += f[i];
                return finish(b);
            }},
        {"sfx_clickonbubble.wav", "sound", pop},
        {"sfx_clickforupgrade.wav", "sound",
            [] {
                return chime({84, 91}, 0.07, 0.35, 0.5);
            }},
        {"sfx_clickforhire.wav", "sound",
            [] {
                return chime({79, 86}, 0.1, 0.35, 0.5);
            }},
        {"sfx_dragstart.wav", "sound", [] { return boing(true); }},
        {"sfx_dragsnap.wav", "sound", snap},
        {"sfx_dragonfurn.wav", "sound", thud},
        {"sfx_dragcancel.wav", "sound", [] { return boing(false); }},
        {"sfx_clickeffect.wav", "sound",
            [] {
                return sparkleRun(0, {91, 96}, 0.05, 0.35);
            }},
        {"sfx_furn_bath.wav", "sound", bubbles},
        {"sfx_furn_drying.wav", "sound", blower},
        {"sfx_furn_haircut.wav", "sound", snips},
        {"sfx_furn_facial.wav", "sound", [] { return spa(79); }},
        {"sfx_furn_massage.wav", "sound", [] { return spa(67); }},
        {"sfx_furn_flea.wav", "sound", spray},
        {"sfx_fire.wav", "sound", crackle},
        {"sfx_consumable_activate.wav", "sound", whoosh},
        {"sfx_door_open.wav", "sound", doorSlide},
        {"sfx_dog_bark.wav", "sound", bark},
        {"sfx_cat_meow.wav", "sound", meow},
        {"sfx_pony_whinny.wav", "sound", whinny},
        {"sfx_customer_angry.wav", "sound", grumble},
        {"sfx_customer_happy.wav", "sound", yay},
        // Names the wheel and the salon play directly.
        {"0015.wav", "sound", click},
        {"npc_shop_sell_v2.wav", "sound", [] { return kaching(1.12); }},
        {"EFFA002.wav", "sound",
            [] {
                return sparkleRun(0, {84, 88, 91}, 0.05, 0.6);
            }},
        {"token_jangle03.wav", "sound", [] { return coinsJangle(5); }},
        // Longer pieces played as effects: the music player's happy tune (the music
        // stays muted for 15 s) and the power-up jingles, as long as their effects.
        {"sfx_furn_musicplayer.wav", "sound",
            music(jingle(15, 126, 67, 41, MusicStyle::Lead::Bell))},
        {"sfx_consumable_money.wav", "sound",
            music(jingle(29, 120, 62, 42, MusicStyle::Lead::Pluck))},
        {"sfx_consumable_wildcard.wav", "sound",
            music(jingle(19, 132, 65, 43, MusicStyle::Lead::Bell))},
        {"sfx_consumable_lightning.wav", "sound",
            music(jingle(19, 144, 64, 44, MusicStyle::Lead::Flute))},
    };
    // Music: calm, looping, a few minutes each.
    MusicStyle day1;
    day1.bpm = 92;
    day1.root = 60;
    day1.bars = 64;
    day1.seed = 101;
    day1.lead = MusicStyle::Lead::Pluck;
    day1.swing = 0.2;
    MusicStyle day2 = day1;
    day2.bpm = 100;
    day2.root = 65;
    day2.seed = 202;
    day2.verse = {0, 3, 1, 4};
    day2.bridge = {5, 3, 4, 4};
    day2.lead = MusicStyle::Lead::Bell;
    MusicStyle evening = day1;
    evening.bpm = 80;
    evening.root = 57 + 5;
    evening.bars = 48;
    evening.seed = 303;
    evening.verse = {0, 5, 1, 4};
    evening.lead = MusicStyle::Lead::Flute;
    evening.drums = false;
    MusicStyle title = day1;
    title.bpm = 108;
    title.root = 62;
    title.bars = 40;
    title.seed = 404;
    title.lead = MusicStyle::Lead::Bell;
    all.push_back({"Marrowby_BGM1.mp3", "music", music(day1)});
    all.push_back({"Marrowby_BGM2.mp3", "music", music(day2)});
    all.push_back({"qrn_hellomyfriend_v2.mp3", "music", music(evening)});
    all.push_back({"Marrowby_Title.mp3", "music", music(title)});
    return all;
}

void writeSound(std::string const& path, std::vector<float> const& samples) {
    bool mp3 = path.size() > 4 && path.compare(path.size() - 4, 4, ".mp3") == 0;
    SF_INFO info {};
    info.samplerate = soundRate;
    info.channels = 1;
    info.format
        = mp3 ? (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III) : (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    if (mp3) {
        // Variable bit rate at a modest quality: small files for calm music.
        int mode = SF_BITRATE_MODE_VARIABLE;
        double level = 0.55;
        sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
        sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
    std::vector<float> clipped(samples.size());
    std::transform(samples.begin(), samples.end(), clipped.begin(),
        [](float v) { return std::clamp(v, -1.0f, 1.0f); });
    sf_count_t written
        = sf_write_float(file, clipped.data(), static_cast<sf_count_t>(clipped.size()));
    int closed = sf_close(file);
    if (written != static_cast<sf_count_t>(clipped.size()) || closed != 0)
        throw std::runtime_error("cannot write all of " + path);
}

std::vector<FontEntry> fontCatalog() {
    std::string const liberation = "/usr/share/fonts/truetype/liberation2/";
    std::string const dejavu = "/usr/share/fonts/truetype/dejavu/";
    // Liberation Sans has the metrics of Helvetica and Arial; DejaVu Sans (from Bitstream
    // Vera) stands in for the wide Verdana and for the menus' marker face.
    return {
        {"Helvetica.ttf", {liberation + "LiberationSans-Regular.ttf"}},
        {"Helvetica-Bold.ttf", {liberation + "LiberationSans-Bold.ttf"}},
        {"HelveticaNeue.ttf", {liberation + "LiberationSans-Regular.ttf"}},
        {"HelveticaNeue-Bold.ttf", {liberation + "LiberationSans-Bold.ttf"}},
        {"Arial.ttf", {liberation + "LiberationSans-Regular.ttf"}},
        {"Arial-BoldMT.ttf", {liberation + "LiberationSans-Bold.ttf"}},
        {"Verdana.ttf", {dejavu + "DejaVuSans.ttf"}},
        {"Marker Felt.ttf", {dejavu + "DejaVuSans-Bold.ttf"}},
    };
}

}
