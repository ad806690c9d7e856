// Where the gadget finds its installed resources. The root is a build
// setting so that host builds can run from their build tree.
#ifndef VANTRO_RESOURCE_PATHS_H
#define VANTRO_RESOURCE_PATHS_H

#ifndef VANTRO_RES_DIR
#define VANTRO_RES_DIR "/usr/ug/vantro/res"
#endif

#ifndef VANTRO_FALLBACK_THUMBNAIL
#define VANTRO_FALLBACK_THUMBNAIL "res/images/1920X1080/sm_thumbnail_blank.png"
#endif

#define VANTRO_TEXT_DOMAIN "vantro"
#define VANTRO_LOCALE_DIR VANTRO_RES_DIR "/locale"
#define VANTRO_EDJ_FILE VANTRO_RES_DIR "/edje/bookmark_thumbnailwnd.edj"
#define VANTRO_BUTTON_ICON VANTRO_RES_DIR "/1920X1080/i_ok_done_allow.png"

#endif
