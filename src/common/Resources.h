#pragma once
// Resources compiled into the static core library must be registered explicitly.
void initCoreResources();
