// The program state that exists once, from start to exit.
#pragma once

#include <string>
#include <vector>

#include "intake/UFifoResult.h"
#include "model/UAnalyte.h"
#include "model/ULists.h"
#include "model/UTypes.h"

namespace tervanix {

// Operator codes offered at entry: kept sorted, duplicates allowed.
class TOperatorList {
public:
    void Add(std::string code);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& operator[](int i) const { return items_[static_cast<std::size_t>(i)]; }
    const std::vector<std::string>& Items() const { return items_; }

private:
    std::vector<std::string> items_;
};

extern TListAnalytes Analytes;
extern TListSerum Materials;
extern TFifo Queue;
extern TOperatorList Operators;
extern TSettings Settings;
extern std::string ProgramDir; // with trailing separator
extern std::string BasePath;   // ProgramDir + "Tervanix"
extern bool FirstRun;
extern bool Embedded;

// Sets ProgramDir and BasePath from the program's folder.
void SetProgramDir(const std::string& dir);

} // namespace tervanix
