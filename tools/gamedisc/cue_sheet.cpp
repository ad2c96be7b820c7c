#include "cue_sheet.h"

#include <cstring>

namespace gamedisc {

namespace {

constexpr int kFramesPerSecond = 75;

// The words of a line: a word in double quotes may hold blanks.
bool Words(const std::string& line, std::vector<std::string>* words) {
  size_t at = 0;
  while (true) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at == line.size()) return true;
    if (line[at] == '"') {
      const size_t end = line.find('"', at + 1);
      if (end == std::string::npos) return false;
      words->push_back(line.substr(at + 1, end - at - 1));
      at = end + 1;
    } else {
      const size_t end = line.find_first_of(" \t", at);
      words->push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
      at = end == std::string::npos ? line.size() : end;
    }
  }
}

// A number of at most `digits` decimal digits.
bool Number(const std::string& word, size_t digits, int* value) {
  if (word.empty() || word.size() > digits) return false;
  *value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    *value = *value * 10 + (c - '0');
  }
  return true;
}

// mm:ss:ff in sectors; minutes up to 99 as on a CD.
bool Time(const std::string& word, int64_t* sectors) {
  const size_t first = word.find(':');
  const size_t second = first == std::string::npos ? first : word.find(':', first + 1);
  if (second == std::string::npos) return false;
  int m, s, f;
  if (!Number(word.substr(0, first), 2, &m) || !Number(word.substr(first + 1, second - first - 1), 2, &s) ||
      !Number(word.substr(second + 1), 2, &f) || s >= 60 || f >= kFramesPerSecond) {
    return false;
  }
  *sectors = (int64_t{m} * 60 + s) * kFramesPerSecond + f;
  return true;
}

bool Mode(const std::string& word, CueTrack* track) {
  if (word == "AUDIO") {
    track->audio = true;
    track->sectorBytes = 2352;
  } else if (word == "MODE1/2352") {
    track->sectorBytes = 2352;
    track->userOffset = 16;  // sync, address, mode
  } else if (word == "MODE1/2048") {
    track->sectorBytes = 2048;
  } else if (word == "MODE2/2352") {
    track->sectorBytes = 2352;
    track->userOffset = 24;  // sync, address, mode, the XA subheader twice
  } else {
    return false;
  }
  return true;
}

bool Upper(std::string word, const char* keyword) {
  for (char& c : word) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return word == keyword;
}

// The previous track is complete: it has its INDEX 01.
bool Closed(const CueSheet& sheet) { return sheet.tracks.empty() || sheet.tracks.back().index1 >= 0; }

}  // namespace

bool ParseCueSheet(const std::string& text, CueSheet* sheet, std::string* error) {
  if (text.size() > kMaxCueBytes) {
    *error = "the cue sheet is longer than " + std::to_string(kMaxCueBytes) + " bytes";
    return false;
  }
  int64_t lastInFile = 0;  // the last index position in the current file
  size_t lineNumber = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() >= 3 && std::memcmp(line.data(), "\xEF\xBB\xBF", 3) == 0) line.erase(0, 3);
    const std::string where = "line " + std::to_string(lineNumber) + " of the cue sheet: ";
    std::vector<std::string> words;
    if (!Words(line, &words)) {
      *error = where + "a quote is not closed";
      return false;
    }
    if (words.empty()) continue;
    const std::string& key = words[0];
    if (Upper(key, "FILE")) {
      if (words.size() < 3 || words[1].empty()) {
        *error = where + "FILE wants a name and a type";
        return false;
      }
      if (!Closed(*sheet)) {
        *error = where + "track " + std::to_string(sheet->tracks.back().number) + " has no INDEX 01";
        return false;
      }
      // An unquoted name with blanks: every word but the type.
      std::string name = words[1];
      for (size_t i = 2; i + 1 < words.size(); ++i) name += " " + words[i];
      sheet->files.push_back(name);
      lastInFile = 0;
    } else if (Upper(key, "TRACK")) {
      CueTrack track;
      if (sheet->files.empty()) {
        *error = where + "TRACK before any FILE";
        return false;
      }
      if (words.size() != 3 || !Number(words[1], 2, &track.number) || track.number < 1 ||
          (!sheet->tracks.empty() && track.number != sheet->tracks.back().number + 1)) {
        *error = where + "the track number is missing, out of range (1 to 99) or out of order";
        return false;
      }
      if (!Mode(words[2], &track)) {
        *error = where + "the track mode " + words[2] + " is not read (AUDIO, MODE1/2352, MODE1/2048, MODE2/2352)";
        return false;
      }
      if (!Closed(*sheet)) {
        *error = where + "track " + std::to_string(sheet->tracks.back().number) + " has no INDEX 01";
        return false;
      }
      track.file = sheet->files.size() - 1;
      sheet->tracks.push_back(track);
    } else if (Upper(key, "INDEX")) {
      int index;
      int64_t position;
      if (sheet->tracks.empty() || words.size() != 3 || !Number(words[1], 2, &index) || !Time(words[2], &position)) {
        *error = where + "INDEX wants a track before it, a number and mm:ss:ff (seconds below 60, frames below 75)";
        return false;
      }
      CueTrack& track = sheet->tracks.back();
      if (position < lastInFile) {
        *error = where + "the index lies before the one it follows in its file";
        return false;
      }
      if (index == 0 && track.start < 0 && track.index1 < 0) {
        track.start = position;
      } else if (index == 1 && track.index1 < 0) {
        track.index1 = position;
        if (track.start < 0) track.start = position;
      } else if (index < 2 || track.index1 < 0) {
        *error = where + "INDEX " + words[1] + " out of order";
        return false;
      }
      lastInFile = position;
    } else if (Upper(key, "PREGAP") || Upper(key, "POSTGAP")) {
      // Silence the image leaves out: no sector of the file.
      int64_t gap;
      if (sheet->tracks.empty() || words.size() != 2 || !Time(words[1], &gap)) {
        *error = where + key + " wants a track before it and mm:ss:ff";
        return false;
      }
    }
    // REM, CATALOG, TITLE, PERFORMER, FLAGS, ISRC, ...: nothing to read.
  }
  if (sheet->tracks.empty()) {
    *error = "the cue sheet names no track";
    return false;
  }
  if (!Closed(*sheet)) {
    *error = "track " + std::to_string(sheet->tracks.back().number) + " has no INDEX 01";
    return false;
  }
  return true;
}

const CueTrack* DataTrack(const CueSheet& sheet) {
  for (const CueTrack& track : sheet.tracks) {
    if (!track.audio) return &track;
  }
  return nullptr;
}

int64_t DataTrackEnd(const CueSheet& sheet, const CueTrack& track) {
  const size_t next = static_cast<size_t>(&track - sheet.tracks.data()) + 1;
  if (next < sheet.tracks.size() && sheet.tracks[next].file == track.file) return sheet.tracks[next].start;
  return -1;
}

}  // namespace gamedisc
