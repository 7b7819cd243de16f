#include "ErrorWords.h"

#include "CommandLine.h"

#include <cstdio>
#include <new>

namespace ombrix {

std::string Printable(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n')
            shown += "\\n";
        else if (byte == '\t')
            shown += "\\t";
        else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string ErrorWords(const TError& error) {
    const std::string subject = Quoted(Printable(error.Subject()));
    std::string words;
    switch (error.Failure()) {
    case TFailure::CreateFile:
    case TFailure::WriteFile:
    case TFailure::WriteSettings:
        words = "cannot write " + subject;
        break;
    case TFailure::ReadFile:
        words = "cannot read " + subject;
        break;
    case TFailure::RemoveFile:
        words = "cannot remove " + subject;
        break;
    case TFailure::NotALookFile:
        words = subject + " holds no Ombrix look";
        break;
    case TFailure::MakeFolder:
        words = "cannot make the folder " + subject;
        break;
    case TFailure::StartProgram:
        words = "cannot start " + subject;
        break;
    }
    if (error.Code())
        words += ": " + error.Code().message();
    return words;
}

std::string ExceptionWords(const std::exception& error) {
    if (const auto* failure = dynamic_cast<const TError*>(&error))
        return ErrorWords(*failure);
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return "not enough memory";
    return error.what();
}

} // namespace ombrix
