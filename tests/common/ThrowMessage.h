// Checks that a statement throws a given exception type with a given message, in one line:
//   EXPECT_THROW_MSG(SaveBmp(path, image), std::runtime_error, "ﾌｧｲﾙ " + path + "
//   を作成できません");
#pragma once

#include <gtest/gtest.h>

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
