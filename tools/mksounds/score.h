// A piece of music as read from its text file: voices and the notes they play.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "dsp.h"

enum class Wave { Pulse, Triangle, Saw, Sine, Fm, Drums };

struct Voice {
    std::string name;
    Wave wave = Wave::Pulse;
    Adsr env;
    double gain = 0.3;
    double pan = 0.0;  // -1 left .. 1 right
    double duty = 0.5;
    double detune = 0.0;  // cents; >0 adds a second, detuned oscillator
    double vib = 0.0;     // vibrato depth in semitones
    double vibRate = 5.5;
    double vibDelay = 0.2;  // seconds before vibrato starts
    double arp = 0.0;       // steps per chord note when arpeggiating; 0 plays chords together
    double ratio = 2.0;     // FM modulator : carrier
    double index = 1.0;     // FM depth at note start
    double lowpass = 0.0;   // Hz, 0 = open
    double echo = 0.0;      // delay in steps, 0 = dry
    double feedback = 0.3;
    int octave = 0;
};

// One note (or chord, or drum hits) on the step grid.
struct Event {
    int step = 0;
    int length = 1;          // steps the key is held
    std::vector<int> notes;  // MIDI numbers
    std::string hits;        // drum letters, upper case = accent
};

struct Score {
    std::string title;
    double tempo = 120.0;  // beats per minute
    int grid = 4;          // steps per beat
    bool loop = true;      // tails wrap into the start; length is exactly the song
    double peak = 0.85;    // final peak level, full scale = 1
    int steps = 0;         // song length in steps
    std::vector<Voice> voices;
    std::vector<std::vector<Event>> events;  // per voice

    double stepSeconds() const { return 60.0 / (tempo * grid); }
};

// Throws std::runtime_error("<where>:<line>: message") on bad input.
Score parseScore(std::istream& in, const std::string& where);
Score loadScore(const std::string& path);

// "C4" -> 60, "F#3" -> 54, "Bb5" -> 82; -1 if not a note.
int parseNote(const std::string& token);
