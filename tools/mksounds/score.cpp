#include "score.h"

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace {

struct Parser {
    std::string where;
    int line = 0;

    [[noreturn]] void fail(const std::string& msg) const {
        throw std::runtime_error(where + ":" + std::to_string(line) + ": " + msg);
    }

    double number(const std::string& text) const {
        try {
            size_t used = 0;
            double v = std::stod(text, &used);
            if (used == text.size()) return v;
        } catch (const std::exception&) {
        }
        fail("not a number: '" + text + "'");
    }
};

std::vector<std::string> words(const std::string& line) {
    // '#' opens a comment only at the start of a word, since sharps use it too.
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w && w[0] != '#';)
        if (w != "|") out.push_back(w);
    return out;
}

Wave parseWave(const Parser& p, const std::string& name) {
    static const std::map<std::string, Wave> waves = {{"pulse", Wave::Pulse}, {"triangle", Wave::Triangle},
                                                      {"saw", Wave::Saw},     {"sine", Wave::Sine},
                                                      {"fm", Wave::Fm},       {"drums", Wave::Drums}};
    auto it = waves.find(name);
    if (it == waves.end()) p.fail("unknown wave '" + name + "'");
    return it->second;
}

Voice parseVoice(const Parser& p, const std::vector<std::string>& w) {
    if (w.size() < 3) p.fail("voice needs a name and a wave");
    Voice v;
    v.name = w[1];
    v.wave = parseWave(p, w[2]);
    std::map<std::string, double*> keys = {{"gain", &v.gain},       {"pan", &v.pan},           {"duty", &v.duty},
                                           {"detune", &v.detune},   {"a", &v.env.a},           {"d", &v.env.d},
                                           {"s", &v.env.s},         {"r", &v.env.r},           {"vib", &v.vib},
                                           {"vibrate", &v.vibRate}, {"vibdelay", &v.vibDelay}, {"arp", &v.arp},
                                           {"ratio", &v.ratio},     {"index", &v.index},       {"lp", &v.lowpass},
                                           {"echo", &v.echo},       {"fb", &v.feedback}};
    for (size_t i = 3; i < w.size(); ++i) {
        size_t eq = w[i].find('=');
        if (eq == std::string::npos) p.fail("expected key=value, got '" + w[i] + "'");
        std::string key = w[i].substr(0, eq);
        double value = p.number(w[i].substr(eq + 1));
        if (key == "octave") {
            v.octave = int(value);
        } else if (auto it = keys.find(key); it != keys.end()) {
            *it->second = value;
        } else {
            p.fail("unknown voice setting '" + key + "'");
        }
    }
    if (v.feedback < 0.0 || v.feedback >= 0.95) p.fail("fb must be in 0..0.95");
    return v;
}

void checkToken(const Parser& p, const Voice& v, const std::string& t) {
    if (t == "." || t == "-") return;
    if (v.wave == Wave::Drums) {
        if (t.find_first_not_of("kKsShHoOcCtT") != std::string::npos) p.fail("unknown drum '" + t + "'");
        return;
    }
    std::istringstream parts(t);
    for (std::string n; std::getline(parts, n, '/');)
        if (parseNote(n) < 0) p.fail("voice " + v.name + ": bad note '" + n + "'");
}

// Turns one voice's token stream into events: a note starts, '-' holds it, '.' lets go.
std::vector<Event> toEvents(const Voice& v, const std::vector<std::string>& tokens) {
    std::vector<Event> events;
    bool sounding = false;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& t = tokens[i];
        if (t == ".") {
            sounding = false;
        } else if (t == "-") {
            if (sounding) events.back().length++;
        } else if (v.wave == Wave::Drums) {
            events.push_back({int(i), 1, {}, t});
            sounding = false;
        } else {
            Event e{int(i), 1, {}, {}};
            std::istringstream parts(t);
            for (std::string n; std::getline(parts, n, '/');) e.notes.push_back(parseNote(n) + 12 * v.octave);
            events.push_back(e);
            sounding = true;
        }
    }
    return events;
}

}  // namespace

int parseNote(const std::string& token) {
    static const int semis[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    if (token.size() < 2 || token[0] < 'A' || token[0] > 'G') return -1;
    int semi = semis[token[0] - 'A'];
    size_t i = 1;
    if (token[i] == '#')
        semi++, i++;
    else if (token[i] == 'b')
        semi--, i++;
    if (i + 1 != token.size() || token[i] < '0' || token[i] > '8') return -1;
    return 12 * (token[i] - '0' + 1) + semi;
}

Score parseScore(std::istream& in, const std::string& where) {
    Parser p{where};
    Score score;
    // pattern -> voice -> tokens
    std::map<std::string, std::map<int, std::vector<std::string>>> patterns;
    std::vector<std::string> song;
    std::string current;
    auto voiceIndex = [&](const std::string& name) {
        for (size_t i = 0; i < score.voices.size(); ++i)
            if (score.voices[i].name == name) return int(i);
        return -1;
    };

    for (std::string text; std::getline(in, text);) {
        ++p.line;
        auto w = words(text);
        if (w.empty()) continue;
        const std::string& cmd = w[0];
        auto one = [&]() -> const std::string& {
            if (w.size() != 2) p.fail(cmd + " takes one value");
            return w[1];
        };
        if (cmd == "title") {
            score.title = text.substr(text.find("title") + 5);
        } else if (cmd == "tempo") {
            score.tempo = p.number(one());
            if (score.tempo < 20 || score.tempo > 400) p.fail("tempo out of range");
        } else if (cmd == "grid") {
            score.grid = int(p.number(one()));
            if (score.grid < 1 || score.grid > 12) p.fail("grid out of range");
        } else if (cmd == "loop") {
            if (one() != "on" && one() != "off") p.fail("loop is on or off");
            score.loop = one() == "on";
        } else if (cmd == "peak") {
            score.peak = p.number(one());
            if (score.peak <= 0.0 || score.peak >= 1.0) p.fail("peak must be below full scale");
        } else if (cmd == "voice") {
            if (voiceIndex(w.size() > 1 ? w[1] : "") >= 0) p.fail("voice declared twice");
            score.voices.push_back(parseVoice(p, w));
        } else if (cmd == "pattern") {
            current = one();
            if (patterns.count(current)) p.fail("pattern '" + current + "' defined twice");
            patterns[current];
        } else if (cmd == "song") {
            song.insert(song.end(), w.begin() + 1, w.end());
            current.clear();
        } else if (int v = voiceIndex(cmd); v >= 0) {
            if (current.empty()) p.fail("notes outside a pattern");
            for (size_t i = 1; i < w.size(); ++i) checkToken(p, score.voices[v], w[i]);
            auto& tokens = patterns[current][v];
            tokens.insert(tokens.end(), w.begin() + 1, w.end());
        } else {
            p.fail("unknown word '" + cmd + "'");
        }
    }

    if (song.empty()) p.fail("no song line");
    if (score.voices.empty()) p.fail("no voices");
    std::vector<std::vector<std::string>> streams(score.voices.size());
    for (const auto& name : song) {
        auto it = patterns.find(name);
        if (it == patterns.end()) p.fail("song plays unknown pattern '" + name + "'");
        size_t length = 0;
        for (const auto& [v, tokens] : it->second) length = std::max(length, tokens.size());
        if (length == 0) p.fail("pattern '" + name + "' is empty");
        for (size_t v = 0; v < streams.size(); ++v) {
            auto found = it->second.find(int(v));
            // A short line repeats to fill the pattern, so a one-bar beat covers four bars.
            for (size_t i = 0; i < length; ++i) {
                if (found == it->second.end()) {
                    streams[v].push_back(".");
                } else {
                    const auto& tokens = found->second;
                    if (length % tokens.size() != 0)
                        p.fail("pattern '" + name + "': voice " + score.voices[v].name + " has " +
                               std::to_string(tokens.size()) + " steps, which does not divide " +
                               std::to_string(length));
                    streams[v].push_back(tokens[i % tokens.size()]);
                }
            }
        }
    }
    score.steps = int(streams.empty() ? 0 : streams[0].size());
    for (size_t v = 0; v < streams.size(); ++v) score.events.push_back(toEvents(score.voices[v], streams[v]));
    return score;
}

Score loadScore(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(path + ": cannot open");
    return parseScore(in, path);
}
