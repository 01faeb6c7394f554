#include "platform/UserPrompt.h"

#include "platform/QtUserPrompt.h"

namespace {

std::unique_ptr<UserPrompt>& CurrentPrompt()
{
    static std::unique_ptr<UserPrompt> prompt;
    return prompt;
}

}

UserPrompt& Prompt()
{
    auto& prompt = CurrentPrompt();
    if (!prompt)
        prompt = std::make_unique<QtUserPrompt>();
    return *prompt;
}

void SetPrompt(std::unique_ptr<UserPrompt> prompt)
{
    CurrentPrompt() = std::move(prompt);
}
