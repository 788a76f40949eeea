"""PyMOL command vask_block: base blocks of a selection as a CGO object.

The stacking-diagram scripts of `belqo-vask task --stacking-diagram` load this
file with `run` and then call, for example,

    vask_block layer1, block_file=fill-trans, name=fill1
    vask_block block_file=both, name=blocks

The selection (all atoms by default) is saved to a scratch PDB file, belqo-vask
draws its block schematic as a Raster3D scene with `--block-file=<block_file>`
(the words of that option: both, slim, fill, trans, g4, hbond, ...), and the
scene is loaded under the given name. Coordinates are kept as they are
(scale 0), so the blocks sit on the structure.

The executable is the one installed beside this file (<prefix>/bin, this file
being <prefix>/share/belqo-vask/data/pymol/vask_block.py), else belqo-vask on
the PATH.
"""
import os
import shutil
import subprocess
import tempfile

from pymol import cmd, CmdException


def _executable():
    here = os.path.dirname(os.path.abspath(__file__))
    installed = os.path.normpath(os.path.join(here, "..", "..", "..", "..", "bin", "belqo-vask"))
    if os.path.isfile(installed) and os.access(installed, os.X_OK):
        return installed
    return shutil.which("belqo-vask")


def vask_block(selection="all", block_file="both", name="blocks", _self=cmd):
    """vask_block [selection [, block_file [, name]]]: blocks of the selection."""
    exe = _executable()
    if exe is None:
        raise CmdException("vask_block: belqo-vask is neither installed beside this plug-in nor on the PATH")
    if _self.count_atoms(selection) == 0:
        raise CmdException("vask_block: no atoms in selection '%s'" % selection)
    with tempfile.TemporaryDirectory(prefix="vask_block-") as work:
        pdb = os.path.join(work, "selection.pdb")
        r3d = os.path.join(work, "blocks.r3d")
        _self.save(pdb, selection)
        # run in the scratch folder: the run's auxiliary files stay there
        run = subprocess.run([exe, "-i=" + pdb, "--block-file=" + str(block_file), "--scale-factor=0", "-o=" + r3d],
                             cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE, universal_newlines=True)
        if run.returncode != 0 or not os.path.isfile(r3d) or os.path.getsize(r3d) == 0:
            raise CmdException("vask_block: belqo-vask failed on '%s' (status %d): %s" %
                               (selection, run.returncode, run.stderr.strip()[-400:]))
        _self.load(r3d, str(name))


cmd.extend("vask_block", vask_block)
