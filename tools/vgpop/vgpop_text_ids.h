/* The pop-up program's own messages (vgpop_texts.rc), in English and German: Windows hands
   out the text of the user's language, English for any other. */
#ifndef VGPOP_TEXT_IDS_H
#define VGPOP_TEXT_IDS_H

/* How to start it, when no printer is named. */
#define IDS_POPUP_USAGE 1
/* A printer that cannot be shown; "%s" stands for its name. */
#define IDS_POPUP_NOT_INSTALLED 2

#endif
