// SPDX-License-Identifier: GPL-3.0-or-later
// Anchor translation unit of the resource library; the resources themselves
// are compiled in by qt_add_resources() from the *.cmake files beside it.
namespace velocrag {
int resourcesLinked()
{
    return 1;
}
} // namespace velocrag
