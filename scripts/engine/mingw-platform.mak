# Windows platform layer for the MinGW cross build.
#
# The configure-generated makefiles only know the Unix platform modules,
# which treat file names as bytes in the C library's code page, so paths
# outside ASCII fail on Windows. This builds the engine's own Windows
# modules instead (UTF-8 file names through the wide-character API, the
# Windows paper size and temp directory, interrupt polling through the
# gsapi_set_poll callback, Windows threads and locks).
#
# build-engine.sh copies this file into base/, appends an include of it to
# Makefile.in, and runs make with GSPLATFORM=mingw_ SYNC=winsync, so that
# these modules replace unix_.dev and nosync.dev everywhere.

MINGW_PLATFORM_MAK=$(GLSRC)mingw-platform.mak $(TOP_MAKEFILES)
GLCCWIN=$(GLCC)
gp_mswin_h=$(GLSRC)gp_mswin.h $(windows__h)
# gp_mswin.c prints to Windows printers through the spooler API.
EXTRALIBS+= -lwinspool

mingw__=$(GLOBJ)gp_mswin.$(OBJ) $(GLOBJ)gp_wgetv.$(OBJ) $(GLOBJ)gp_wpapr.$(OBJ)\
 $(GLOBJ)gp_stdia.$(OBJ) $(GLOBJ)gp_wutf8.$(OBJ) $(GLOBJ)gp_winfs.$(OBJ)\
 $(GLOBJ)gp_ntfs.$(OBJ) $(GLOBJ)gp_win32.$(OBJ) $(GLOBJ)gp_nxpsprn.$(OBJ)\
 $(GLOBJ)gp_mspol.$(OBJ)

$(GLGEN)mingw_.dev: $(mingw__) $(ECHOGS_XE) $(GLD)nosync.dev $(GLD)smd5.dev\
 $(MINGW_PLATFORM_MAK) $(MAKEDIRS)
	$(SETMOD) $(GLGEN)mingw_ $(mingw__) -include $(GLD)nosync
	$(ADDMOD) $(GLGEN)mingw_ -include $(GLD)smd5

$(GLOBJ)gp_mswin.$(OBJ): $(GLSRC)gp_mswin.c $(AK) $(gp_mswin_h)\
 $(ctype__h) $(dos__h) $(malloc__h) $(memory__h) $(pipe__h)\
 $(stdio__h) $(string__h) $(windows__h)\
 $(gx_h) $(gp_h) $(gpcheck_h) $(gpmisc_h) $(gserrors_h) $(gsexit_h)\
 $(MINGW_PLATFORM_MAK) $(MAKEDIRS)
	$(GLCCWIN) $(GLO_)gp_mswin.$(OBJ) $(C_) $(GLSRC)gp_mswin.c

$(GLOBJ)gp_wgetv.$(OBJ): $(GLSRC)gp_wgetv.c $(AK) $(gscdefs_h)\
 $(MINGW_PLATFORM_MAK) $(MAKEDIRS)
	$(GLCCWIN) $(GLO_)gp_wgetv.$(OBJ) $(C_) $(GLSRC)gp_wgetv.c

$(GLOBJ)gp_wpapr.$(OBJ): $(GLSRC)gp_wpapr.c $(AK) $(gp_h)\
 $(MINGW_PLATFORM_MAK) $(MAKEDIRS)
	$(GLCCWIN) $(GLO_)gp_wpapr.$(OBJ) $(C_) $(GLSRC)gp_wpapr.c

$(GLOBJ)gp_wutf8.$(OBJ): $(GLSRC)gp_wutf8.c $(windows__h)\
 $(MINGW_PLATFORM_MAK) $(MAKEDIRS)
	$(GLCCWIN) $(GLO_)gp_wutf8.$(OBJ) $(C_) $(GLSRC)gp_wutf8.c

$(GLOBJ)gp_winfs.$(OBJ): $(GLSRC)gp_winfs.c $(AK) $(gp_mswin_h)\
 $(memory__h) $(stdio__h) $(windows__h) $(gp_h) $(gserrors_h)\
 $(MINGW_PLATFORM_MAK) $(MAKEDIRS)
	$(GLCCWIN) $(GLO_)gp_winfs.$(OBJ) $(C_) $(GLSRC)gp_winfs.c

$(GLOBJ)gp_ntfs.$(OBJ): $(GLSRC)gp_ntfs.c $(AK)\
 $(dos__h) $(memory__h) $(stdio__h) $(string__h) $(windows__h)\
 $(gp_h) $(gpmisc_h) $(gsmemory_h) $(gsstruct_h) $(gstypes_h) $(gsutil_h)\
 $(MINGW_PLATFORM_MAK) $(MAKEDIRS)
	$(GLCCWIN) $(GLO_)gp_ntfs.$(OBJ) $(C_) $(GLSRC)gp_ntfs.c

$(GLOBJ)gp_win32.$(OBJ): $(GLSRC)gp_win32.c $(AK)\
 $(dos__h) $(malloc__h) $(stdio__h) $(string__h) $(windows__h)\
 $(gp_h) $(gsmemory_h) $(gstypes_h) $(MINGW_PLATFORM_MAK) $(MAKEDIRS)
	$(GLCCWIN) $(GLO_)gp_win32.$(OBJ) $(C_) $(GLSRC)gp_win32.c

$(GLOBJ)gp_mspol.$(OBJ): $(GLSRC)gp_mspol.c $(AK)\
 $(gx_h) $(gp_h) $(gpcheck_h) $(MINGW_PLATFORM_MAK) $(MAKEDIRS)
	$(GLCCWIN) $(GLO_)gp_mspol.$(OBJ) $(C_) $(GLSRC)gp_mspol.c

# Windows threads and locks, used when make is run with SYNC=winsync.
winsync_=$(GLOBJ)gp_wsync.$(OBJ)
$(GLD)winsync.dev: $(ECHOGS_XE) $(winsync_) $(MINGW_PLATFORM_MAK) $(MAKEDIRS)
	$(SETMOD) $(GLD)winsync $(winsync_)
	$(ADDMOD) $(GLD)winsync -replace $(GLD)nosync

$(GLOBJ)gp_wsync.$(OBJ): $(GLSRC)gp_wsync.c $(AK)\
 $(dos__h) $(malloc__h) $(stdio__h) $(string__h) $(windows__h)\
 $(gp_h) $(gsmemory_h) $(gstypes_h) $(globals_h) $(MINGW_PLATFORM_MAK) $(MAKEDIRS)
	$(GLCCWIN) $(GLO_)gp_wsync.$(OBJ) $(C_) $(GLSRC)gp_wsync.c
