// Names of the three output files, built from the input subtitle's path.
#pragma once

#include <string>

namespace kestrelpix {

// The input's folder (with its trailing separator, as given) followed by the
// input's file name with its last four characters (a dot and a three-letter
// extension) replaced by `suffix`: "/films/movie.srt" with ".idx" gives
// "/films/movie.idx", "a.b.srt" gives "a.b.idx". The four-letter
// extensions of the formats read (.sami, .ttml, .dfxp, any case) go whole:
// "film.ttml" gives "film.idx".
//
// A file name of fewer than four characters cannot lose four: it loses its
// extension from the last dot when it has one after its first character
// ("a.s" gives "a" + suffix), and is kept whole otherwise ("ab" gives
// "ab" + suffix). The folder part is never cut.
std::string OutputFileName(const std::string& inputPath, const std::string& suffix);

// The folder part of a path with its trailing separator ("" for a bare name).
std::string FolderOf(const std::string& path);

// Suffixes of the three outputs.
inline constexpr const char* kIndexSuffix = ".idx";
inline constexpr const char* kSubSuffix = ".sub";
inline constexpr const char* kHelpSuffix = ".Kestrelpix_Help.txt";

}  // namespace kestrelpix
