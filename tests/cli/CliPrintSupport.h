// Running tervanix-cli print from the tests, and reading the PDF it wrote as text.
#pragma once

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "model/support/FileTestSupport.h"

namespace tervanix::test {

// Blanks of a PDF text's layout reduced to one and dropped around line ends, so that checks read
// like the printed rows. (Plain code: GCC 12 warns falsely inside <regex> in sanitizer builds.)
inline std::string SqueezeBlanks(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!out.empty() && out.back() != ' ' && out.back() != '\n') out += ' ';
            continue;
        }
        if (c == '\n' && !out.empty() && out.back() == ' ') out.pop_back();
        out += c;
    }
    return out;
}

struct TCliResult {
    int Code = -1;
    std::string Err;
};

inline std::string ShellQuote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs the tool with the environment assignments `env` in front; stdout is not kept.
inline TCliResult RunTool(const std::string& tool, const std::vector<std::string>& args, const std::string& env,
                          const std::string& errPath) {
    std::string command = env + " " + ShellQuote(tool);
    for (const std::string& a : args) command += " " + ShellQuote(a);
    command += " >/dev/null 2>" + ShellQuote(errPath);
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(errPath)};
}

// The text of a PDF file as pdftotext lays it out, pages separated by form feeds.
inline std::string PdfFileText(const std::string& pdfPath, const std::string& textPath) {
    const std::string command = "pdftotext -layout -enc UTF-8 " + ShellQuote(pdfPath) + " " + ShellQuote(textPath);
    if (std::system(command.c_str()) != 0) return {};
    return ReadFile(textPath);
}

} // namespace tervanix::test
