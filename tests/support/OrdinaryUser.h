#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

namespace yk::test {

// Tests run as root, whom permission bits do not stop. Inside this scope the
// process acts as an ordinary user ("nobody"), so a read-only file or folder
// refuses writes as it would for the person using the program. The ids are
// the effective ones of the whole process, worker threads included; they are
// restored on scope exit. Does nothing when the tests do not run as root.
class OrdinaryUser
{
public:
    OrdinaryUser()
    {
        if (geteuid() != 0)
            return;
        m_switched = setegid(kNobody) == 0 && seteuid(kNobody) == 0;
        EXPECT_TRUE(m_switched);
    }
    ~OrdinaryUser()
    {
        if (m_switched) {
            EXPECT_EQ(seteuid(0), 0);
            EXPECT_EQ(setegid(0), 0);
        }
    }
    OrdinaryUser(const OrdinaryUser&) = delete;
    OrdinaryUser& operator=(const OrdinaryUser&) = delete;

private:
    static constexpr uid_t kNobody = 65534;
    bool m_switched = false;
};

} // namespace yk::test
