# SPDX-License-Identifier: GPL-3.0-or-later
# tst_artgen runs the picture generator as a separate program.
add_dependencies(tst_artgen artgen)
