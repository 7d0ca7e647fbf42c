// Forces the busy animation's classes (the marquee, its bullets, the background fill and
// the picture) into the class registry, so that layout descriptions can name them.
#pragma once

void RegisterMarqueeClasses();
