"""Installs the lorvenna package with its engine module, compiled by the
project's CMake build from the same sources as the command line (the
repository's src/, without the program's main.cpp):

    pip install --no-build-isolation ./python

needs cmake, g++ and Debian's python3-dev, python3-pybind11, python3-numpy,
python3-pandas and python3-matplotlib (scripts/py_install.sh installs them).
"""

import glob
import os
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"project\(lorvenna VERSION ([0-9.]+)", f.read()).group(1)


class CMakeModule(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class BuildWithCMake(build_ext):
    """Configures the project with LORVENNA_PYTHON for this interpreter,
    builds the module's target alone and copies the module into place."""

    def build_extension(self, ext):
        build = os.path.abspath(os.path.join(self.build_temp, "cmake"))
        subprocess.check_call(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                               "-DLORVENNA_TESTS=OFF", "-DLORVENNA_PYTHON=ON",
                               f"-DPython3_EXECUTABLE={sys.executable}"])
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.check_call(["cmake", "--build", build, "--target", "lorvenna_python", "-j", jobs])
        built = glob.glob(os.path.join(build, "package", "lorvenna", "_engine*.so"))
        if len(built) != 1:
            raise RuntimeError(f"the build left {len(built)} engine modules in {build}")
        target = self.get_ext_fullpath(ext.name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(built[0], target)


setup(
    name="lorvenna",
    version=project_version(),
    description="Virtual species assemblages sampled on a grid: the Lorvenna engine in Python, "
                "its tidy tables as pandas DataFrames",
    packages=["lorvenna"],
    ext_modules=[CMakeModule("lorvenna._engine")],
    cmdclass={"build_ext": BuildWithCMake},
    python_requires=">=3.9",
    install_requires=["numpy", "pandas", "matplotlib"],
    zip_safe=False,
)
