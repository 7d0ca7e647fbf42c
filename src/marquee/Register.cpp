#include "marquee/Register.h"

#include "marquee/BackgroundFill.h"
#include "marquee/GPPicture.h"
#include "marquee/Marquee.h"
#include "marquee/MarqueeBullets.h"

void RegisterMarqueeClasses() {
  TGPPicture::StaticClass();
  TBackgroundFill::StaticClass();
  TMarqueeBullets::StaticClass();
  TMarquee::StaticClass();
  FillClipboardFormat();
}
