/* No code of its own: the library only forwards to vgprn.dll (see vgprnpart.def). */
int vgprnpart_has_no_code;
