// A tool built without a player: every build must name one with --player.
#include "embedded_player.h"

PlayerImage embeddedPlayer() {
    return PlayerImage{};
}
