#pragma once

// Numbers in sentences and on screen use '.' whatever the user's locale:
// called once the application object exists.
void UseDotDecimalSeparator();
