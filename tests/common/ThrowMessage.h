// Checks that a statement throws a given exception, in one line:
//   EXPECT_THROW_MSG(CheckAnimationFits(...), std::runtime_error, "a WebP picture is ...");
//   EXPECT_THROW_ERROR(SaveBmp(path, image), TFailure::CreateFile, path);
#pragma once

#include "Error.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

/// Fails the test if `statement` throws no `exception` or one whose what() is not `message`.
#define EXPECT_THROW_MSG(statement, exception, message)                                            \
    do {                                                                                           \
        std::string ombrix_thrown_message_;                                                        \
        bool ombrix_thrown_ = false;                                                               \
        try {                                                                                      \
            statement;                                                                             \
        } catch (const exception& ombrix_error_) {                                                 \
            ombrix_thrown_ = true;                                                                 \
            ombrix_thrown_message_ = ombrix_error_.what();                                         \
        }                                                                                          \
        if (!ombrix_thrown_)                                                                       \
            ADD_FAILURE() << #statement " throws no " #exception;                                  \
        else                                                                                       \
            EXPECT_EQ(ombrix_thrown_message_, std::string(message))                                \
                << #statement " throws " #exception " with another message";                       \
    } while (false)

/// Fails the test if `statement` throws no ombrix::TError, or one of another failure
/// or subject (its what() tells which).
#define EXPECT_THROW_ERROR(statement, failure, subject)                                            \
    do {                                                                                           \
        std::optional<ombrix::TError> ombrix_thrown_;                                              \
        try {                                                                                      \
            statement;                                                                             \
        } catch (const ombrix::TError& ombrix_error_) {                                            \
            ombrix_thrown_ = ombrix_error_;                                                        \
        }                                                                                          \
        if (!ombrix_thrown_)                                                                       \
            ADD_FAILURE() << #statement " throws no TError";                                       \
        else                                                                                       \
            EXPECT_TRUE(ombrix_thrown_->Failure() == (failure) &&                                  \
                        ombrix_thrown_->Subject() == std::string(subject))                         \
                << #statement " throws " << ombrix_thrown_->what();                                \
    } while (false)
