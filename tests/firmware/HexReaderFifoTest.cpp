#include "firmware/HexReader.h"

#include "support/Fifo.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(HexReader, FifoIsRefusedAtOnceInsteadOfWaitingForAWriter) {
    TempDir dir;
    Fifo fifo(dir.file("fw.hex"));
    HexReader reader;
    EXPECT_FALSE(reader.open(fifo.path()));
    EXPECT_FALSE(fifo.released());
}

} // namespace
