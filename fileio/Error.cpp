#include "Error.h"

#include <utility>

namespace ombrix {

namespace {

const char* LogWords(TFailure failure) {
    switch (failure) {
    case TFailure::CreateFile:
        return "create file";
    case TFailure::WriteFile:
        return "write file";
    case TFailure::ReadFile:
        return "read file";
    case TFailure::WriteSettings:
        return "write settings";
    case TFailure::RemoveFile:
        return "remove file";
    case TFailure::NotALookFile:
        return "find a look in";
    case TFailure::MakeFolder:
        return "make folder";
    case TFailure::StartProgram:
        return "start";
    }
    return "use";
}

} // namespace

TError::TError(TFailure failure, std::string subject, std::error_code code)
    : Failure_(failure), Subject_(std::move(subject)), Code_(code),
      Log_(std::string(LogWords(failure)) + " " + Subject_) {
    if (Code_)
        Log_ += ": " + Code_.message();
}

} // namespace ombrix
