// The one error the program's libraries throw when a file or a service fails them: what
// failed (a TFailure), on which file or service (the subject, as the system names it),
// and why, as the system said (a std::error_code, which may be empty). It carries no
// words for a user: the front ends choose them from these three, through tr() in the
// window and in English on a terminal. what() gives a plain English line for logs only.
//
// Faults of the calling code (a bad argument, a broken precondition) stay
// std::invalid_argument and std::logic_error; a lack of memory stays std::bad_alloc.
#pragma once

#include <exception>
#include <string>
#include <system_error>

namespace ombrix {

/// What the program could not do.
enum class TFailure {
    CreateFile,    ///< create a file or put it in place (a picture, an animation)
    WriteFile,     ///< fill a file: it took fewer bytes than written, or a flush failed
    ReadFile,      ///< read a file that is there (or must be)
    WriteSettings, ///< write a settings, look or autostart file
    RemoveFile,    ///< remove a file
    NotALookFile,  ///< find a look in a file that holds none
    MakeFolder,    ///< make a folder, or write into one (the wallpaper pictures' folder)
    StartProgram,  ///< start another program (the live wallpaper)
};

/// Every TFailure, in declaration order.
inline constexpr TFailure AllFailures[] = {
    TFailure::CreateFile, TFailure::WriteFile,    TFailure::ReadFile,   TFailure::WriteSettings,
    TFailure::RemoveFile, TFailure::NotALookFile, TFailure::MakeFolder, TFailure::StartProgram};

class TError : public std::exception {
public:
    TError(TFailure failure, std::string subject, std::error_code code = {});

    TFailure Failure() const { return Failure_; }
    /// The file's path or the program's name, bytes as the system takes them.
    const std::string& Subject() const { return Subject_; }
    /// The system's reason; empty when the program found the fault itself.
    std::error_code Code() const { return Code_; }

    /// "create file <subject>: <reason>", for logs; never shown to a user.
    const char* what() const noexcept override { return Log_.c_str(); }

private:
    TFailure Failure_;
    std::string Subject_;
    std::error_code Code_;
    std::string Log_;
};

} // namespace ombrix
