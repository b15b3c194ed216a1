// The table of generated members: each name of the member list that a generator makes, with the
// function that makes its bytes. Every maker is deterministic.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "bytes.h"

using MemberMaker = std::function<Bytes()>;
using MakerTable = std::map<std::string, MemberMaker>;  // by UTF-8 member name

void AddPhraseMembers(MakerTable& table);
void AddDictionaryMembers(MakerTable& table);
void AddTextTableMembers(MakerTable& table);
void AddSettingsMembers(MakerTable& table);
void AddPictureMembers(MakerTable& table);
void AddSoundMembers(MakerTable& table);

// The eight files of one skin (qubmp8.quh and qubmpsx1.bmp to qubmpsx7.bmp), by file name; style
// 1 to 4 selects the design.
std::map<std::string, Bytes> MakeSkinFiles(int style);

// Folder of the drawn artwork the pictures use (the caption grey map); "." unless set.
extern std::string g_artDirectory;
