#include <game/shell/BountixSetting.hpp>

namespace game {

std::string BountixSetting::getBountixID() {
    return "7c1e9a42-5b3d-4e8f-a061-2d94b7f3c815";
}

std::string BountixSetting::getBountixSecret() {
    return "Hq7TmB2xWn9LpZ4vKd8R";
}

std::string BountixSetting::getMarqueeID() {
    return "5b1c9e0a7d3f42e86a0b7c13";
}

std::string BountixSetting::getMarqueeSig() {
    return "9d4e2a7b0c5f18e36a2d9b4c7e1f05a8d3b6c2e9";
}

std::string BountixSetting::getPayPerAction(int actionType) {
    switch (actionType) {
    case 0:
        return "3f8b2c71-0d4e-4a96-b5e2-7c19a0d3f684";
    case 1:
        return "b2e47d09-8c1a-4f53-9e6b-015ad7c2e938";
    case 2:
        return "e91c3a56-27bf-4d08-a4c7-6f3e8b15d290";
    case 5:
        return "5d06f8e3-b147-4c29-8a3f-d4e27b90c61a";
    case 7:
        return "a47e1d92-6f05-4b8c-9d31-c8b54e07a2f3";
    case 3:
    case 4:
    case 6:
    case 8:
        return getBountixID();
    default:
        return "";
    }
}

}
