// Short sounds without a sound library: the desktop's own command-line player plays a WAV file
// the project ships, started detached so that nobody waits for it.
#pragma once

#include <string>

namespace ft::platform {

// The first of pw-play, paplay and aplay found on PATH (its full path), or empty.
std::string FindSoundPlayer();
// Folder of the project's sound files: "sounds" beside the program in a build tree, else
// ../share/futures-terminal/sounds from the program's folder (the installed layout); empty
// when neither exists.
std::string SoundDir();
// Starts `player` on `file` and returns at once; the player is reaped on a thread of its own.
// False when there is no such file or the player could not be started.
bool PlaySoundFile(const std::string& player, const std::string& file);

}  // namespace ft::platform
