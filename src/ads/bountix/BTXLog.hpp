#pragma once

#include <string_view>

namespace ads::bountix {

// The offer-wall client's levelled log: a message is written when its level is at
// most the threshold (4 at start). Level 3 is for errors and warnings, 4 for
// progress. Main thread.
class BTXLog {
public:
    static constexpr int Error = 3;
    static constexpr int Progress = 4;

    static void setLogThreshold(int threshold);
    static int logThreshold();
    // Writes "[Log Level: <level>]; <message>" when the level passes the threshold.
    static void logWithLevel(int level, std::string_view message);
};

}
