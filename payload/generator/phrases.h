// Chinese words and phrases drawn from the vocabulary, as GBK text, and their input codes.
#pragma once

#include <string>
#include <vector>

#include "random.h"
#include "vocabulary.h"

// Phrases of at least two characters: common words, compounds of two words, idioms, names and
// places, and words of the given field when one is given.
class PhraseSource {
public:
    PhraseSource(std::uint64_t seed, const WordList* field = nullptr);
    std::string Next();                  // GBK
    std::vector<std::string> Unique(std::size_t count);  // GBK, no phrase twice, in drawing order

private:
    Random random_;
    const WordList* field_;
};

// The GBK forms of a word list (converted once).
const WordList& GbkWords(const WordList& words);

// A person's name (surname and one or two given-name characters), GBK.
std::string PersonName(Random& random);

// A stand-in Wubi code of one GBK character: the real one for the 25 first-level characters,
// otherwise four letters that stay the same for the character.
std::string WubiCharacterCode(const std::string& gbkCharacter);

// The Wubi code of a word by the word-code rules (two characters: two keys of each; three: first
// key of the first two and two of the last; more: first key of the first three and of the last).
std::string WubiWordCode(const std::string& gbkWord);

// The "phrase; " text of a list of phrases, and the same text followed by the phrase trailer
// ("QUOR", the sum of the phrase bytes, the number of phrases).
std::string PhraseText(const std::vector<std::string>& phrases);
std::string PhraseTextWithTrailer(const std::vector<std::string>& phrases);
