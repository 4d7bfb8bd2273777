"""Errors that say what to fix: file errors as OSError with the path and the cause, calls after
close, nested libraries, and argument ranges named by the binding."""

import errno
import os

import pytest

import ktr4
from ktr4 import api


@pytest.mark.parametrize("method, make, family, number", [
    ("load_config", lambda d: d / "missing.cfg", FileNotFoundError, errno.ENOENT),
    ("load_config", lambda d: d, IsADirectoryError, errno.EISDIR),
    ("save_config", lambda d: d, IsADirectoryError, errno.EISDIR),
    ("save_config", lambda d: d / "no-folder" / "new.cfg", FileNotFoundError, errno.ENOENT),
])
def test_a_file_error_is_an_oserror_with_the_path_and_the_cause(card, tmp_path, method, make, family, number):
    target = make(tmp_path)
    with pytest.raises(family) as raised:
        getattr(card, method)(target)
    error = raised.value
    assert isinstance(error, ktr4.ConfigFileError) and isinstance(error, ktr4.Error)
    assert error.filename == str(target) and error.errno == number
    assert str(target) in str(error) and os.strerror(number) in str(error)
    assert error.code == ktr4.ResultCode.ERR_FILE


@pytest.mark.skipif(os.geteuid() == 0, reason="root may read and write any file")
def test_a_file_this_user_may_not_read_is_a_permission_error(card, tmp_path):
    locked = tmp_path / "locked.cfg"
    card.save_config(locked)
    locked.chmod(0)
    with pytest.raises(PermissionError) as raised:
        card.load_config(locked)
    assert raised.value.filename == str(locked)


def test_a_short_file_is_a_config_file_error_with_the_librarys_reason(card, tmp_path):
    short = tmp_path / "short.cfg"
    short.write_bytes(b"x" * 10)
    with pytest.raises(ktr4.ConfigFileError) as raised:
        card.load_config(short)
    error = raised.value
    assert isinstance(error, OSError) and error.filename == str(short)
    assert error.code == ktr4.ResultCode.ERR_FILE_SIZE and ktr4.error_text(312) in str(error)


def test_every_call_after_close_raises_library_closed(card):
    library = card.library
    axis = card.axis(1)
    library.close()
    for call in (lambda: axis.position, lambda: axis.move_by(10, 100), lambda: library.card(0),
                 lambda: card.save_config("x.cfg"), lambda: library.cards, lambda: api.info(0)):
        with pytest.raises(ktr4.LibraryClosedError, match="closed"):
            call()
    library.close()  # a second close does nothing
    assert not os.path.exists("x.cfg")


def test_an_inner_library_shares_the_outer_one_and_its_close_leaves_the_outer_working(card):
    outer_axis = card.axis(0)
    with ktr4.Library() as inner:
        inner_axis = inner.card(0).axis(0)
        outer_axis.move_by(500, 5000)
        assert inner_axis.wait_until_stopped(timeout=5) == 500  # the same card, not found again
    assert outer_axis.position == 500  # still open for the outer
    with pytest.raises(ktr4.LibraryClosedError):
        inner_axis.position  # but the inner's objects are closed


def test_a_range_refused_by_the_library_names_the_function_and_where_the_ranges_are(card):
    with pytest.raises(ktr4.OutOfRangeError) as raised:
        api.config_comparator_out(0, 0, 9, 0, 0)
    assert "config_comparator_out" in str(raised.value) and "help(ktr4.api.config_comparator_out)" in str(raised.value)
