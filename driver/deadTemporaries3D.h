// The temporary files a writer makes beside its target ("NAME.PID.tmp")
// and renames over it: those whose writer died before its rename go with
// the next write. Shared by townview's frame logs and resview's pictures.
#ifndef KORVA_DEADTEMPORARIES3D_H
#define KORVA_DEADTEMPORARIES3D_H

// Removes "PATH.PID.tmp" files beside path (plain files only, never
// through a link) whose PID alive says is gone.
void sweepDeadTemporaries3D(const char* path, bool (*alive)(long pid));

#endif
