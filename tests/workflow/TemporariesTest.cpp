#include <QFile>

#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>

#include "TempFolder.h"
#include "workflow/Temporaries.h"

namespace {

// A signal that ends the program removes the temporaries still held, and only those: a holder
// that never held a name, or let its name go, takes no other holder's name with it.
TEST(Temporaries, ASignalRemovesTheNamesStillHeldAndNoOthers) {
    TempFolder folder;
    for (const char* name : {".qingyan-held", ".qingyan-let-go", ".qingyan-held-later"}) {
        folder.Write(name, "being written");
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        workflow::RemoveTemporariesOnSignals();
        const int dir = ::open(QFile::encodeName(folder.Root()).constData(), O_DIRECTORY);
        workflow::HeldTemporary held;
        held.Hold(dir, ".qingyan-held");
        { workflow::HeldTemporary neverHeld; }
        {
            workflow::HeldTemporary letGo;
            letGo.Hold(dir, ".qingyan-let-go");
        }
        workflow::HeldTemporary heldLater;
        heldLater.Hold(dir, ".qingyan-held-later");
        std::raise(SIGTERM);
        _exit(0);  // not reached: the signal ends the program as it would have
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(folder.Entries(), QStringList{".qingyan-let-go"});
}

}  // namespace
