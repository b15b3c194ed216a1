// The Chinese words, names, idioms and poems the generated dictionaries and text tables are made
// of (UTF-8; the members hold them as GBK).
#pragma once

#include <string>
#include <utility>
#include <vector>

using WordList = std::vector<std::string>;

const WordList& CommonWords();
const WordList& ComputerWords();
const WordList& MedicalWords();
const WordList& LawWords();
const WordList& EconomyWords();
const WordList& SportsWords();
const WordList& Surnames();
const WordList& GivenNameCharacters();
const WordList& Provinces();
const WordList& Cities();
const WordList& Idioms();
const WordList& SolarTerms();
const WordList& Festivals();

struct Poem {
    std::string title;
    std::string author;
    std::vector<std::string> lines;
};
const std::vector<Poem>& Poems();

// Simplified characters and their traditional forms.
const std::vector<std::pair<std::string, std::string>>& TraditionalForms();

// The 25 characters of the first-level short codes of Wubi, by key (g f d s a h j k l m t r e w q
// y u i o p n b v c x).
const std::vector<std::pair<char, std::string>>& WubiFirstLevel();

// The key-name rhymes of the Wubi radicals, by key.
const std::vector<std::pair<char, std::string>>& WubiRadicalRhymes();
