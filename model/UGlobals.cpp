#include "model/UGlobals.h"

#include <algorithm>

namespace tervanix {

TListAnalytes Analytes;
TListSerum Materials;
TFifo Queue;
TOperatorList Operators;
TSettings Settings;
std::string ProgramDir;
std::string BasePath;
bool FirstRun = false;
bool Embedded = false;

void TOperatorList::Add(std::string code) {
    // Sorted without regard to case; an equal code goes after the existing ones.
    const std::string key = UpperAscii(code);
    const auto pos = std::upper_bound(items_.begin(), items_.end(), key,
                                      [](const std::string& k, const std::string& e) { return k < UpperAscii(e); });
    items_.insert(pos, std::move(code));
}

void SetProgramDir(const std::string& dir) {
    ProgramDir = dir;
    if (ProgramDir.empty() || ProgramDir.back() != '/') ProgramDir += '/';
    BasePath = ProgramDir + "Tervanix";
}

} // namespace tervanix
