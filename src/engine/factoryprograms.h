#pragma once
// The factory program list: 176 named entries in seven categories, each
// category but the first opened by a header entry. A program's name is also
// the stem of its sample pack file, so the list fixes which packs exist.

#include <string>
#include <vector>

class SynthProgram;

constexpr int FACTORY_PROGRAM_COUNT = 176;
// First row of each category: favourites, drums, leads, bass, pads, lasers, other.
constexpr int FACTORY_CATEGORY_ROWS[7] = {0, 2, 8, 37, 70, 84, 148};

// The name of factory entry `index` (0..175), e.g. "Laser-05" for 89; empty
// for any other index. Any thread; allocates the returned text.
inline std::string factoryProgramName(int index) {
    struct Fixed {
        int index;
        const char* name;
    };
    static constexpr Fixed FIXED[] = {
        {0, "Our Favorites"}, {1, "-= DRUMS =-"}, {2, "Kicks"},         {3, "Snares"},
        {4, "Drum Kit 1"},    {5, "Drum Kit 2"},  {6, "Drum Kit 3"},    {7, "-= LEADS =-"},
        {36, "-= BASS =-"},   {69, "-= PADS =-"}, {83, "-= LASERS =-"}, {147, "-= OTHER =-"},
    };
    struct Run {
        int first;
        int count;
        const char* prefix;
    };
    static constexpr Run RUNS[] = {
        {8, 28, "Lead"}, {37, 32, "Bass"}, {70, 13, "Pad"}, {84, 63, "Laser"}, {148, 28, "Other"},
    };
    for (const Fixed& fixed : FIXED) {
        if (fixed.index == index) {
            return fixed.name;
        }
    }
    for (const Run& run : RUNS) {
        if (index >= run.first && index < run.first + run.count) {
            const int number = index - run.first;
            return std::string(run.prefix) + "-" + static_cast<char>('0' + number / 10) +
                   static_cast<char>('0' + number % 10);
        }
    }
    return std::string();
}

// Fills the engine's program list, which holds exactly one program, with the
// factory programs: entry k renames and resets program k and each entry first
// appends a fresh SamplerProgram, so the list ends with 177 programs, the last
// one "Unnamed Program". Every program gets "Funkiness" at 0. Any thread,
// before the list is shared; throws std::bad_alloc.
void buildFactoryPrograms(std::vector<SynthProgram>& programs);

// Writes "Hello, I am a synth" (no line end) to standard output; returns 0.
int printGreeting();
