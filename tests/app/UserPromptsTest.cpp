// The boxes every failure of a command shows.
#include "AppFakes.h"

#include "app/UserPrompts.h"

#include "platform/MessageBoxTypes.h"

#include <gtest/gtest.h>

namespace {

TEST(ShowException, TheCaptionIsTheProgramsTitle)
{
    // The application object of these tests has a name of its own: the
    // caption must not come from it.
    FakePrompts prompts;
    ScopedUserPrompts use(prompts);
    ShowException(nullptr, "The RPC server is unavailable.");
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, "Quellvane");
    EXPECT_EQ(prompts.asked[0].text, "The RPC server is unavailable.");
    EXPECT_EQ(prompts.asked[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

} // namespace
