// Forces the getter's classes into the class registry, so that layout descriptions can
// name them.
#pragma once

void RegisterHTTPGetClasses();
