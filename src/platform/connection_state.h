#pragma once
// Whether the machine is online: a network reachable through an interface that is up,
// running and not the loopback. Tests can force the answer.

// Answers 1 when connected, 0 otherwise (the value the start-up test compares with 1).
int InternetGetConnectedState();
// Forces the answer of InternetGetConnectedState (-1 returns to the real test).
void SetConnectedStateOverride(int state);
