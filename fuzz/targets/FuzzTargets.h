#pragma once

#include <cstddef>
#include <cstdint>

// One function per parser of files and replies the program reads. Each
// runs the real read path on one input and checks what must hold for any
// input; a broken rule stops the process (which libFuzzer records as a
// crash, and which fails the corpus replay test). The same code is built
// into the fuzzers (clang, scripts/fuzz) and into the ordinary test build.
// Each returns 0, as libFuzzer expects.

namespace yk::fuzz {

// The settings file: Load through a file, then Save, Load and Save again
// (the two saves must agree); and the bounded line reader under it, against
// decoding the whole input.
int fuzzSettingsReader(const uint8_t* data, size_t size);
// A day file and the common memo: read, written, read and written again.
int fuzzDayNotes(const uint8_t* data, size_t size);
// decode / splitLines, and text and lines written and read back.
int fuzzTextDecoding(const uint8_t* data, size_t size);
// The mascot's reply as the client reads it: the first byte says how the
// rest arrives in pieces; where it ends and what its status is.
int fuzzSstpReply(const uint8_t* data, size_t size);
// A play list read from a file, written and read again (the same entries),
// and written once more (the same bytes).
int fuzzPlayList(const uint8_t* data, size_t size);
// lst.tmp taken in: the paths it gives, and the same paths once the second
// start's writer has written them again.
int fuzzHandOverIntake(const uint8_t* data, size_t size);
// The ID3 tag at the end of a file, and a tag block built from it.
int fuzzId3Tag(const uint8_t* data, size_t size);
// A file of each format the tag editor writes (the first byte chooses),
// read, given a new title and genre, written and read again.
int fuzzTagEditing(const uint8_t* data, size_t size);
// Timed lyrics in the classic form: the line at each time is short and
// makes a safe mascot script, whatever was asked before; read from a file,
// the same.
int fuzzLyricsText(const uint8_t* data, size_t size);
// Timed lyrics in the LRC form: as the classic form, and an offset moves
// every line.
int fuzzLrcLyrics(const uint8_t* data, size_t size);
// The text rule for ID3v2 frames declared Latin-1, on its own and
// through TagLib; and the tag reader on the bytes as files of every kind.
int fuzzTrackTags(const uint8_t* data, size_t size);

// Names the input being run, for the failure report (the replay test sets
// the file name).
void setInputName(const char* name);
// Reports `what` (with the input's name) and stops the process.
[[noreturn]] void fail(const char* what, const char* file, int line);

} // namespace yk::fuzz

#define YK_FUZZ_CHECK(cond)                                        \
    do {                                                           \
        if (!(cond))                                               \
            ::yk::fuzz::fail(#cond, __FILE__, __LINE__);           \
    } while (false)
